// Downloads and uploads of host programs: text and binary data, line ends split across
// messages, file times, encrypted transfers, directory listings, and that a cancelled, failed
// or dropped transfer leaves no file and is reported as a failure. The last tests run them
// over a program link.
#include "session/program/file_transfers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "net/encrypted_file.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "protocol/file_transfer.h"
#include "session/session_fixture.h"

namespace kovw::session {
namespace {

namespace fs = std::filesystem;

constexpr const char* kKey = "00112233445566778899AABBCCDDEEFF";

std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void write_file(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::uint8_t> password() {
  return *protocol::transfer_key_bytes(kKey);
}

class FileTransfersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("file_transfers." + std::to_string(::getpid()) + "." +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "scratch");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> files_in(const fs::path& where) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(where))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Runs a download of `blocks` with `flags`; returns the end.
  TransferEnd download(const std::vector<std::string>& blocks, int flags,
                       const std::string& name = "out.txt", bool cancel_midway = false) {
    protocol::DownloadStart start;
    start.target = name;
    start.flags = flags;
    if (flags & protocol::kTransferEncrypted) start.key = kKey;
    if (flags & protocol::kTransferTime) start.file_time = 1500000000;
    DownloadReceiver receiver(start, (dir_ / name).string(), (dir_ / "scratch").string(), false);
    receiver.open();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      if (cancel_midway && i == blocks.size() / 2) receiver.cancel_flag()->store(true);
      receiver.data(bytes(blocks[i]));
    }
    return receiver.finish();
  }

  fs::path dir_;
};

TEST_F(FileTransfersTest, DownloadsTextAndBinaryWithTheirTime) {
  const struct {
    int flags;
    std::vector<std::string> blocks;
    std::string written;
  } cases[] = {
      {0, {"a\nb", "\r\n"}, "a\nb\r\n"},
      {protocol::kTransferText, {"a\nb\r", "\nc\n"}, "a\r\nb\r\nc\r\n"},
      {protocol::kTransferText | protocol::kTransferTime, {"x\r\n"}, "x\r\n"},
  };
  for (const auto& c : cases) {
    const TransferEnd end = download(c.blocks, c.flags);
    EXPECT_EQ(end.answer.error, 0) << end.answer.text;
    EXPECT_EQ(read_file(dir_ / "out.txt"), c.written);
    if (c.flags & protocol::kTransferTime) {
      struct stat st {};
      ASSERT_EQ(::stat((dir_ / "out.txt").c_str(), &st), 0);
      EXPECT_EQ(st.st_mtime, 1500000000);
      EXPECT_EQ(end.answer.file_time, 1500000000);
    }
    EXPECT_EQ(files_in(dir_), (std::vector<std::string>{"out.txt", "scratch"}));
    fs::remove(dir_ / "out.txt");
  }
}

TEST_F(FileTransfersTest, FailedCancelledAndDroppedDownloadsLeaveNoFile) {
  write_file(dir_ / "out.txt", "old");
  const TransferEnd cancelled = download({"aaa", "bbb", "ccc", "ddd"}, 0, "out.txt", true);
  EXPECT_EQ(cancelled.answer.error, foundation::kErrnoErrorBase + ECANCELED);
  EXPECT_EQ(read_file(dir_ / "out.txt"), "old");  // the old file stays as it was

  const TransferEnd unwritable = download({"data"}, 0, "missing/out.txt");
  EXPECT_EQ(unwritable.answer.error, foundation::kErrnoErrorBase + ENOENT);
  EXPECT_EQ(unwritable.message.number, 10060);
  EXPECT_EQ(unwritable.answer.text.rfind(std::to_string(unwritable.answer.error) + " ", 0), 0u);

  {
    protocol::DownloadStart start;
    start.flags = protocol::kTransferEncrypted;
    start.key = kKey;
    DownloadReceiver dropped(start, (dir_ / "dropped").string(), (dir_ / "scratch").string(),
                             false);
    ASSERT_TRUE(dropped.open());
    dropped.data(bytes("half a file"));
  }  // the link ended before the end message
  EXPECT_EQ(files_in(dir_), (std::vector<std::string>{"out.txt", "scratch"}));
  EXPECT_TRUE(files_in(dir_ / "scratch").empty());
}

TEST_F(FileTransfersTest, EncryptedDownloadIsDecryptedOrRefused) {
  std::string plain(100000, '\0');
  std::mt19937 random(7);
  for (char& c : plain) c = static_cast<char>(random());
  write_file(dir_ / "plain", plain);
  ASSERT_EQ(
      net::file_encrypt((dir_ / "plain").string(), (dir_ / "sealed").string(), password().data()),
      1);
  const std::string sealed = read_file(dir_ / "sealed");
  std::vector<std::string> blocks;
  for (std::size_t at = 0; at < sealed.size(); at += 4000)
    blocks.push_back(sealed.substr(at, 4000));

  const TransferEnd good = download(blocks, protocol::kTransferEncrypted, "got");
  EXPECT_EQ(good.answer.error, 0) << good.answer.text;
  EXPECT_EQ(read_file(dir_ / "got"), plain);

  blocks.front()[0] ^= 0x55;  // a corrupted header block
  const TransferEnd bad = download(blocks, protocol::kTransferEncrypted, "bad");
  EXPECT_NE(bad.answer.error, 0);
  EXPECT_EQ(bad.message.number, 10077);
  EXPECT_EQ(bad.answer.text, net::kFileCorrupted);
  EXPECT_FALSE(fs::exists(dir_ / "bad"));
  EXPECT_TRUE(files_in(dir_ / "scratch").empty());
}

TEST_F(FileTransfersTest, WritableFlagNeverMakesAFileWorldWritable) {
  const mode_t old = ::umask(0);
  const TransferEnd end = download({"x"}, protocol::kTransferWritable, "w");
  ::umask(old);
  ASSERT_EQ(end.answer.error, 0);
  struct stat st {};
  ASSERT_EQ(::stat((dir_ / "w").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
  EXPECT_FALSE(st.st_mode & S_IWOTH);
}

struct Sent {
  std::string all;
  std::vector<std::size_t> sizes;
  BlockSender sender() {
    return [this](std::span<const std::uint8_t> block) {
      all.append(block.begin(), block.end());
      sizes.push_back(block.size());
      return true;
    };
  }
};

TEST_F(FileTransfersTest, UploadsInBlocksTextWithoutCarriageReturnsAndEncrypted) {
  write_file(dir_ / "in.txt", "one\r\ntwo\r\nthree\r\n");
  protocol::UploadRequest request;
  request.block_size = 5;
  Sent binary;
  TransferEnd end = run_upload(net::KWK_KFGET, request, (dir_ / "in.txt").string(),
                               (dir_ / "scratch").string(), false, binary.sender(), nullptr);
  EXPECT_EQ(end.answer.error, 0);
  EXPECT_EQ(binary.all, "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(binary.sizes, (std::vector<std::size_t>{5, 5, 5, 2}));
  struct stat st {};
  ::stat((dir_ / "in.txt").c_str(), &st);
  EXPECT_EQ(end.answer.file_time, st.st_mtime);

  request.flags = protocol::kTransferText;
  Sent text;
  end = run_upload(net::KWK_KFGET, request, (dir_ / "in.txt").string(), (dir_ / "scratch").string(),
                   false, text.sender(), nullptr);
  EXPECT_EQ(text.all, "one\ntwo\nthree\n");

  request.flags = protocol::kTransferEncrypted;
  request.key = kKey;
  request.block_size = 1024;
  Sent sealed;
  end = run_upload(net::KWK_KFGET, request, (dir_ / "in.txt").string(), (dir_ / "scratch").string(),
                   false, sealed.sender(), nullptr);
  ASSERT_EQ(end.answer.error, 0);
  write_file(dir_ / "sealed", sealed.all);
  ASSERT_EQ(
      net::file_decrypt((dir_ / "sealed").string(), (dir_ / "opened").string(), password().data()),
      1);
  EXPECT_EQ(read_file(dir_ / "opened"), "one\r\ntwo\r\nthree\r\n");
  EXPECT_TRUE(files_in(dir_ / "scratch").empty());

  // Cancelled before the first block; a file that is missing.
  const CancelFlag cancel = std::make_shared<std::atomic<bool>>(true);
  Sent none;
  request.flags = 0;
  end = run_upload(net::KWK_KFGET, request, (dir_ / "in.txt").string(), (dir_ / "scratch").string(),
                   false, none.sender(), cancel);
  EXPECT_EQ(end.answer.error, foundation::kErrnoErrorBase + ECANCELED);
  EXPECT_TRUE(none.all.empty());
  end = run_upload(net::KWK_KFGET, request, (dir_ / "nothing").string(),
                   (dir_ / "scratch").string(), false, none.sender(), nullptr);
  EXPECT_EQ(end.answer.error, foundation::kErrnoErrorBase + ENOENT);
}

TEST_F(FileTransfersTest, DirectoryListingsFlatRecursiveAndMissing) {
  fs::create_directories(dir_ / "tree/sub");
  write_file(dir_ / "tree/a.txt", "12345");
  write_file(dir_ / "tree/sub/b.txt", "1");
  protocol::UploadRequest request;
  Sent flat;
  TransferEnd end = run_upload(net::KWK_KFGDIR, request, (dir_ / "tree").string(),
                               (dir_ / "scratch").string(), false, flat.sender(), nullptr);
  EXPECT_EQ(end.answer.error, 0);
  std::istringstream lines(flat.all);
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) got.push_back(line);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].substr(0, 2), "07");
  EXPECT_EQ(got[0].substr(18, 12), "000000000005");
  EXPECT_EQ(got[0].substr(30), "a.txt");
  EXPECT_EQ(got[1][0], '1');
  EXPECT_EQ(got[1].substr(30), "sub");

  Sent deep;
  run_upload(net::KWK_KFGDIRREC, request, (dir_ / "tree").string(), (dir_ / "scratch").string(),
             false, deep.sender(), nullptr);
  EXPECT_NE(deep.all.find("sub/b.txt\n"), std::string::npos);

  Sent missing;
  end = run_upload(net::KWK_KFGDIR, request, (dir_ / "absent").string(),
                   (dir_ / "scratch").string(), false, missing.sender(), nullptr);
  EXPECT_EQ(end.answer.error, foundation::kErrnoErrorBase + ENOENT);
  EXPECT_EQ(end.message.number, 10079);
  EXPECT_TRUE(files_in(dir_ / "scratch").empty());
}

// 64-bit FNV-1a, over a stream of blocks.
struct Checksum {
  std::uint64_t value = 0xcbf29ce484222325ull;
  void add(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) value = (value ^ byte) * 0x100000001b3ull;
  }
};

TEST_F(FileTransfersTest, HundredMegabytesOverLoopbackArriveWholeWithEveryLinkOption) {
  constexpr std::size_t kTotal = 100u << 20;
  constexpr std::size_t kFrame = 32u << 10;
  for (const unsigned options : {0x000u, 0x100u, 0x200u, 0x300u}) {
    SCOPED_TRACE(options);
    int port = 0;
    const int listener = net::sc_listen(0, &port);
    const int client = net::sc_connect("127.0.0.1", port);
    const int server = net::sc_accept(listener);
    const std::uint8_t one[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::uint8_t two[16] = {9, 9, 8, 8, 7, 7, 6, 6, 5, 5, 4, 4, 3, 3, 2, 2};
    auto set_link = [&] {
      net::link_set_session_key(one, two);
      net::link_set_options(options, true, true);
      net::link_state().net_timeout_ms = 30000;
    };
    Checksum sent;
    std::thread host([&] {
      set_link();
      std::mt19937 random(static_cast<unsigned>(options) + 1);
      std::vector<std::uint8_t> block(kFrame);
      net::LinkMessage data;
      data.type = net::KWK_KDATA;
      data.length = static_cast<std::int32_t>(kFrame);
      for (std::size_t at = 0; at < kTotal; at += kFrame) {
        // Half text, half noise: compression has work in both directions.
        for (std::size_t i = 0; i < kFrame; ++i)
          block[i] = i < kFrame / 2 ? static_cast<std::uint8_t>('a' + i % 7)
                                    : static_cast<std::uint8_t>(random());
        sent.add(block);
        if (net::link_send(client, data, block.data()) < 0) return;
      }
      net::LinkMessage end;
      end.type = net::KWK_KOMOK;
      net::link_send(client, end, nullptr);
    });
    set_link();
    protocol::DownloadStart start;
    DownloadReceiver receiver(start, (dir_ / "big").string(), (dir_ / "scratch").string(), false);
    ASSERT_TRUE(receiver.open());
    net::FrameReader reader;
    net::LinkMessage message;
    while (net::link_receive(server, message, reader, net::kSkipKeepAlive) == 1 &&
           message.type == net::KWK_KDATA)
      receiver.data(reader.payload_view());
    host.join();
    EXPECT_EQ(receiver.finish().answer.error, 0);
    for (const int s : {client, server, listener}) net::sc_close(s);
    net::link_set_session_key(nullptr, nullptr);
    net::link_set_options(0, false, false);

    Checksum got;
    std::ifstream in(dir_ / "big", std::ios::binary);
    std::vector<char> buffer(1 << 20);
    std::size_t size = 0;
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
      const auto n = static_cast<std::size_t>(in.gcount());
      got.add({reinterpret_cast<const std::uint8_t*>(buffer.data()), n});
      size += n;
    }
    EXPECT_EQ(size, kTotal);
    EXPECT_EQ(got.value, sent.value);
    fs::remove(dir_ / "big");
  }
}

// Over a program link.
class TransferLinkTest : public test::SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    dir_ = fs::temp_directory_path() / ("transfer_link." + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    SessionTest::TearDown();
    fs::remove_all(dir_);
  }
  protocol::TransferAnswer answer_of(test::HostPeer& peer, int type) {
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(message.type, type);
    const auto answer = protocol::parse_transfer_answer(payload);
    EXPECT_TRUE(answer);
    return answer ? *answer : protocol::TransferAnswer{};
  }
  fs::path dir_;
};

TEST_F(TransferLinkTest, DownloadThenUploadOnTheLink) {
  test::HostPeer& peer = start_program();
  init_program(peer, 31, "transfer");
  protocol::DownloadStart start;
  start.target = (dir_ / "down.txt").string();
  start.flags = protocol::kTransferText;
  const auto out = protocol::build_download_start(net::KWK_KSDATEI, start);
  peer.send(out.service, out.type, out.payload);
  peer.send(net::KWD_KOMM, net::KWK_KDATA, bytes("line 1\r"));
  peer.send(net::KWD_KOMM, net::KWK_KDATA, bytes("\nline 2\n"));
  peer.send(net::KWD_KOMM, net::KWK_KOMOK);
  const protocol::TransferAnswer down = answer_of(peer, net::KWK_KSDATEI);
  EXPECT_EQ(down.error, 0) << down.text;
  EXPECT_EQ(read_file(dir_ / "down.txt"), "line 1\r\nline 2\r\n");

  // The download has ended: an upload is a command again.
  protocol::UploadRequest request;
  request.source = (dir_ / "down.txt").string();
  request.flags = protocol::kTransferText;
  const auto up = protocol::build_upload_request(net::KWK_KFGET, request);
  peer.send(up.service, up.type, up.payload);
  net::LinkMessage message;
  std::vector<std::uint8_t> payload;
  ASSERT_EQ(1, peer.receive(message, payload));
  ASSERT_EQ(message.type, net::KWK_KDATA);
  const auto block = protocol::parse_upload_block(payload);
  ASSERT_TRUE(block);
  EXPECT_EQ(std::string(block->begin(), block->end()), "line 1\nline 2\n");
  EXPECT_EQ(answer_of(peer, net::KWK_KFGET).error, 0);
}

TEST_F(TransferLinkTest, OldHostLibraryGetsAnEmptyAnswerFirstAndADroppedLinkLeavesNoFile) {
  test::HostPeer& peer = start_program();
  init_program(peer, 32, "old", {0x030004});
  protocol::DownloadStart start;
  start.target = (dir_ / "never.bin").string();
  const auto out = protocol::build_download_start(net::KWK_KSDATEI, start);
  peer.send(out.service, out.type, out.payload);
  net::LinkMessage message;
  std::vector<std::uint8_t> payload;
  ASSERT_EQ(1, peer.receive(message, payload));
  EXPECT_EQ(message.type, net::KWK_KOMOK);
  EXPECT_TRUE(payload.empty());
  peer.send(net::KWD_KOMM, net::KWK_KDATA, std::vector<std::uint8_t>(10000, 'x'));
  peer.close();
  EXPECT_TRUE(test::wait_until([] { return program_count() == 0; }));
  EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
}  // namespace kovw::session
