// A fetch's answer frames as each daemon version sends them, into a file, a buffer or a
// listing; the failures and a cancel leave no file behind.
#include "shell/fetch_receiver.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "net/link_names.h"
#include "protocol/payload_codec.h"
#include "protocol/program/file_records.h"

namespace kovw::shell {
namespace {

namespace fs = std::filesystem;
using protocol::FetchAnswer;

std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::vector<std::uint8_t> int_payload(std::int32_t value) {
  std::vector<std::uint8_t> out;
  protocol::PayloadWriter(out).int_field(value);
  return out;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

class FetchReceiverTest : public ::testing::Test {
 protected:
  FetchJob file_job(bool text = false) {
    FetchJob job;
    job.request.mode = protocol::kFetchFile;
    job.request.host_name = "/host/file";
    job.request.text_mode = text;
    job.local_path = target();
    return job;
  }
  std::string target() const { return dir_.filePath("out.bin").toStdString(); }
  std::size_t files_in_directory() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir_.path().toStdString()), fs::directory_iterator()));
  }
  QTemporaryDir dir_;
};

TEST_F(FetchReceiverTest, TheThreeAnswerSequencesWriteTheSameFile) {
  // The shell's own request (or an old daemon): KSIZE, data, end.
  {
    FetchReceiver receiver(file_job(), FetchAnswer::SizeFirst);
    ASSERT_TRUE(receiver.begin());
    EXPECT_FALSE(receiver.take(net::KWK_KSIZE, int_payload(6)));
    EXPECT_FALSE(receiver.take(net::KWK_KDATA, bytes("abc")));
    EXPECT_FALSE(receiver.take(net::KWK_KDATA, bytes("def")));
    EXPECT_TRUE(receiver.take(net::KWK_KEND, {}));
    EXPECT_EQ(receiver.outcome().result, 0);
    EXPECT_EQ(receiver.outcome().announced, 6u);
    EXPECT_EQ(read_file(target()), "abcdef");
    fs::remove(target());
  }
  // 0x70008 to 0x7000B: plain data; a type-3 frame with data is the last one.
  {
    FetchReceiver receiver(file_job(), FetchAnswer::PlainData);
    ASSERT_TRUE(receiver.begin());
    EXPECT_FALSE(receiver.take(net::KWK_KDATA, bytes("abc")));
    EXPECT_TRUE(receiver.take(net::KWK_KOMOK, bytes("def")));
    EXPECT_EQ(receiver.outcome().result, 0);
    EXPECT_EQ(read_file(target()), "abcdef");
    fs::remove(target());
  }
  // Above 0x7000B: the information header leads the first data frame; the time is kept.
  {
    FetchReceiver receiver(file_job(), FetchAnswer::InfoHeader);
    ASSERT_TRUE(receiver.begin());
    auto first = protocol::build_fetch_info({1600000000, 6});
    first.insert(first.end(), {'a', 'b', 'c'});
    EXPECT_FALSE(receiver.take(net::KWK_KDATA, first));
    EXPECT_FALSE(receiver.take(net::KWK_KDATA, bytes("def")));
    EXPECT_TRUE(receiver.take(net::KWK_KOMOK, {}));
    EXPECT_EQ(receiver.outcome().result, 0);
    EXPECT_EQ(read_file(target()), "abcdef");
    EXPECT_EQ(
        fs::last_write_time(target()).time_since_epoch(),
        fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(1600000000))
            .time_since_epoch());
  }
}

TEST_F(FetchReceiverTest, FailuresAndCancelLeaveNoFile) {
  std::vector<std::uint8_t> komfail;
  protocol::PayloadWriter(komfail).int_field(2).text("no such file");
  const struct {
    FetchAnswer answer;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> frames;
    int message;
  } cases[] = {
      {FetchAnswer::SizeFirst, {{net::KWK_KOMFAIL, komfail}}, 10064},
      {FetchAnswer::SizeFirst, {{net::KWK_KDATA, bytes("x")}}, 10037},  // no size first
      {FetchAnswer::SizeFirst,
       {{net::KWK_KSIZE, int_payload(4)},
        {net::KWK_KDATA, bytes("ab")},
        {net::KWK_KOMFAIL, komfail}},
       10064},
      {FetchAnswer::InfoHeader, {{net::KWK_KDATA, bytes("short")}}, 10037},
      // Another frame ends the transfer before the size it gave: not a success.
      {FetchAnswer::SizeFirst,
       {{net::KWK_KSIZE, int_payload(6)}, {net::KWK_KDATA, bytes("abc")}, {net::KWK_KSTART, {}}},
       10037},
  };
  for (const auto& c : cases) {
    FetchReceiver receiver(file_job(), c.answer);
    ASSERT_TRUE(receiver.begin());
    bool ended = false;
    for (const auto& [type, payload] : c.frames) ended = receiver.take(type, payload);
    EXPECT_TRUE(ended);
    EXPECT_EQ(receiver.outcome().result, -2);
    EXPECT_EQ(receiver.outcome().message, c.message);
    EXPECT_EQ(files_in_directory(), 0u);
  }
  FetchReceiver cancelled(file_job(), FetchAnswer::SizeFirst);
  ASSERT_TRUE(cancelled.begin());
  cancelled.take(net::KWK_KSIZE, int_payload(100));
  cancelled.take(net::KWK_KDATA, bytes("partial"));
  cancelled.cancel();
  EXPECT_EQ(cancelled.outcome().result, -2);  // a cancel is never a success
  EXPECT_TRUE(cancelled.outcome().cancelled);
  EXPECT_EQ(files_in_directory(), 0u);
}

TEST_F(FetchReceiverTest, TextModeAcrossFramesAndBufferCut) {
  FetchReceiver text(file_job(true), FetchAnswer::PlainData);
  ASSERT_TRUE(text.begin());
  text.take(net::KWK_KDATA, bytes("a\r"));
  text.take(net::KWK_KDATA, bytes("\nb\n"));
  text.take(net::KWK_KEND, {});
  EXPECT_EQ(read_file(target()), "a\r\nb\r\n");

  FetchJob job;
  job.request.mode = protocol::kFetchBuffer;
  job.request.in_out = 4;
  FetchReceiver buffer(job, FetchAnswer::SizeFirst);
  ASSERT_TRUE(buffer.begin());
  buffer.take(net::KWK_KSIZE, int_payload(6));
  buffer.take(net::KWK_KDATA, bytes("abcdef"));
  buffer.take(net::KWK_KEND, {});
  EXPECT_EQ(std::string(buffer.outcome().data.begin(), buffer.outcome().data.end()), "abcd");
  EXPECT_EQ(buffer.outcome().received, 6u);
}

TEST_F(FetchReceiverTest, ListingGrowsBeyondTheFirstFrame) {
  // The first frame announces one entry; three arrive over three frames.
  protocol::FileStatus status;
  status.mode = protocol::kModeRegular;
  FetchJob job;
  job.request.mode = protocol::kFetchListing;
  FetchReceiver receiver(job, FetchAnswer::InfoHeader);
  ASSERT_TRUE(receiver.begin());
  for (int i = 0; i < 3; ++i) {
    status.listing_name = "f" + std::to_string(i);
    auto frame = i == 0 ? protocol::build_fetch_info({0, 1}) : std::vector<std::uint8_t>{};
    const auto entry = protocol::build_directory_entry(status);
    frame.insert(frame.end(), entry.begin(), entry.end());
    receiver.take(net::KWK_KDATA, frame);
  }
  ASSERT_TRUE(receiver.take(net::KWK_KEND, {}));
  const auto entries = protocol::parse_directory_listing(receiver.outcome().data);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 3u);
  EXPECT_EQ((*entries)[2].name, "f2");
}

TEST_F(FetchReceiverTest, UnwritableTargetFailsAtOnce) {
  FetchJob job = file_job();
  job.local_path = dir_.filePath("missing/dir/out").toStdString();
  FetchReceiver receiver(job, FetchAnswer::SizeFirst);
  EXPECT_FALSE(receiver.begin());
  EXPECT_EQ(receiver.outcome().message, 10060);
}

}  // namespace
}  // namespace kovw::shell
