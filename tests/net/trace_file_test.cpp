// Session traces: the file format, a reader that stops at the last whole record, and a link
// that records what it sends and receives after decryption and decompression.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "net/link.h"
#include "net/link_io.h"
#include "net/link_recording.h"
#include "net/tcp_socket.h"
#include "net/trace_file.h"

namespace kovw::net {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct TempDir {
  std::filesystem::path path;
  TempDir() {
    char pattern[] = "/tmp/kovw-trace-XXXXXX";
    path = ::mkdtemp(pattern);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
};

Bytes file_bytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TraceHeader sample_header() {
  TraceHeader header;
  header.link_kind = TraceLinkKind::Server;
  header.options = {2, kTraceCompression | kTraceEncryption};
  header.start_time = 1700000000;
  header.version = "7.3.5";
  header.peer = "host-a";
  return header;
}

TEST(TraceFile, WrittenRecordsReadBackWithHeaderOptionsAndOrder) {
  TempDir dir;
  const std::string path = (dir.path / "t.kovwtrace").string();
  {
    TraceWriter writer(path, sample_header());
    ASSERT_TRUE(writer.is_open());
    writer.frame(TraceRecordKind::Received, 1, 40, Bytes{'a', 'b', 0});
    writer.options({2, kTraceCompression | kTraceEncryption});  // unchanged: no record
    writer.options({2, kTraceCompression});
    writer.frame(TraceRecordKind::Sent, 3, 7, Bytes(70000, 0x5a));  // a long frame
    writer.frame(TraceRecordKind::Sent, 1, 2, {});
    // Every record is in the file while the writer is still open (as after a crash).
    EXPECT_EQ(read_trace_file(path).records.size(), 4u);
  }
  const TraceContents trace = read_trace_file(path);
  ASSERT_EQ(trace.error, "");
  EXPECT_FALSE(trace.truncated);
  EXPECT_EQ(trace.header.link_kind, TraceLinkKind::Server);
  EXPECT_EQ(trace.header.options, (TraceOptions{2, kTraceCompression | kTraceEncryption}));
  EXPECT_EQ(trace.header.version, "7.3.5");
  EXPECT_EQ(trace.header.peer, "host-a");
  EXPECT_EQ(trace.header.start_time, 1700000000u);
  ASSERT_EQ(trace.records.size(), 4u);
  EXPECT_EQ(trace.records[0].kind, TraceRecordKind::Received);
  EXPECT_EQ(trace.records[0].type, 40);
  EXPECT_EQ(trace.records[0].payload, (Bytes{'a', 'b', 0}));
  EXPECT_EQ(trace.records[1].kind, TraceRecordKind::Options);
  EXPECT_EQ(trace.records[1].options, (TraceOptions{2, kTraceCompression}));
  EXPECT_EQ(trace.records[2].payload.size(), 70000u);
  EXPECT_EQ(trace.records[3].service, 1);
  EXPECT_TRUE(trace.records[3].payload.empty());
  for (std::size_t i = 1; i < trace.records.size(); ++i)
    EXPECT_GE(trace.records[i].offset_us, trace.records[i - 1].offset_us);
  // An existing file is never overwritten.
  TraceWriter again(path, sample_header());
  EXPECT_FALSE(again.is_open());
}

TEST(TraceFile, EveryCutKeepsTheWholeRecordsBeforeIt) {
  Bytes data = encode_trace_header(sample_header());
  const std::size_t header_end = data.size();
  std::vector<std::size_t> ends;
  for (int i = 0; i < 3; ++i) {
    const Bytes record =
        encode_trace_record({TraceRecordKind::Sent, 10u * i, 1, 40 + i, Bytes(5 + i, 'x'), {}});
    data.insert(data.end(), record.begin(), record.end());
    ends.push_back(data.size());
  }
  for (std::size_t cut = 0; cut <= data.size(); ++cut) {
    const TraceContents trace = read_trace(std::span(data).first(cut));
    SCOPED_TRACE(cut);
    EXPECT_EQ(trace.error, "");
    std::size_t whole = 0;
    for (std::size_t end : ends) whole += end <= cut ? 1 : 0;
    EXPECT_EQ(trace.records.size(), whole);
    const bool on_boundary =
        cut == header_end || std::find(ends.begin(), ends.end(), cut) != ends.end();
    EXPECT_EQ(trace.truncated, !on_boundary);
  }
}

TEST(TraceFile, MalformedDataIsReportedNotRead) {
  const Bytes good = encode_trace_header(sample_header());
  struct Case {
    const char* name;
    Bytes data;
    const char* error_start;
  };
  Bytes bad_kind = good;
  bad_kind[10] = 9;
  Bytes long_text = good;
  long_text[good.size() - 7] = 200;  // the peer text claims more bytes than the header holds
  Bytes unknown_record = good;
  unknown_record.insert(unknown_record.end(), {'X', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 1});
  Bytes huge_record = good;
  huge_record.insert(huge_record.end(), {'S', 0, 0, 0, 0, 0, 0, 0, 0, 0x7f, 0xff, 0xff, 0xff});
  Bytes short_frame = good;
  short_frame.insert(short_frame.end(), {'R', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1});
  const Case cases[] = {
      {"other file", Bytes{'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}, "not a trace file"},
      {"link kind", bad_kind, "trace header: unknown link kind 9"},
      {"text length", long_text, "trace header: text longer"},
      {"record kind", unknown_record, "record at byte"},
      {"record length", huge_record, "record at byte"},
      {"frame without type", short_frame, "record at byte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TraceContents trace = read_trace(c.data);
    EXPECT_EQ(trace.error.rfind(c.error_start, 0), 0u) << trace.error;
    EXPECT_TRUE(trace.records.empty());
  }
}

// A link records frames as the program sees them, whatever compression and encryption did on
// the wire, and the redactor changes what is written.
TEST(TraceFile, LinkRecordsDecodedFramesBothWays) {
  TempDir dir;
  set_recording(dir.path.string(), "9.9.9");
  int port = 0;
  const int listener = sc_listen(0, &port);
  const int client = sc_connect("127.0.0.1", port);
  const int server = sc_accept(listener);
  sc_close(listener);
  const std::uint8_t key_a[16] = {1, 2, 3}, key_b[16] = {4, 5, 6};
  link_set_session_key(key_a, key_b);

  Link recorded(client), peer(server);
  for (Link* link : {&recorded, &peer}) {
    link->set_net_timeout(2000);
    link->set_options(0x302, false, true);  // level 2, compression, encryption
  }
  auto writer = open_link_recording(TraceLinkKind::Program, "peer", recorded.options());
  ASSERT_NE(writer, nullptr);
  writer->set_redactor([](int, int type, Bytes& payload) {
    if (type == 9) payload.assign({'*'});
  });
  recorded.set_recorder(writer);

  const Bytes text(3000, 'a');  // compresses
  LinkMessage message;
  message.service = 1;
  message.type = 40;
  message.length = static_cast<std::int32_t>(text.size());
  ASSERT_GT(recorded.send(message, text.data()).value, 0);
  message.type = 9;
  message.length = 4;
  ASSERT_GT(recorded.send(message, "pwd").value, 0);
  ASSERT_EQ(peer.receive(kSkipKeepAlive).value, 1);
  ASSERT_EQ(peer.receive(kSkipKeepAlive).value, 1);
  const Bytes answer{'o', 'k', 0};
  message.type = 41;
  message.length = 3;
  ASSERT_GT(peer.send(message, answer.data()).value, 0);
  ASSERT_EQ(recorded.receive(kSkipKeepAlive).value, 1);
  const std::string path = writer->path();
  recorded.close();  // ends the recording
  writer.reset();
  set_recording("", "");
  link_set_session_key(nullptr, nullptr);

  EXPECT_EQ(std::filesystem::path(path).filename().string().rfind("program-", 0), 0u);
  const TraceContents trace = read_trace(file_bytes(path));
  ASSERT_EQ(trace.error, "");
  EXPECT_EQ(trace.header.version, "9.9.9");
  EXPECT_EQ(trace.header.link_kind, TraceLinkKind::Program);
  EXPECT_EQ(trace.header.options, (TraceOptions{2, kTraceCompression | kTraceEncryption}));
  ASSERT_EQ(trace.records.size(), 3u);
  EXPECT_EQ(trace.records[0].kind, TraceRecordKind::Sent);
  EXPECT_EQ(trace.records[0].payload, text);
  EXPECT_EQ(trace.records[1].payload, Bytes{'*'});
  EXPECT_EQ(trace.records[2].kind, TraceRecordKind::Received);
  EXPECT_EQ(trace.records[2].type, 41);
  EXPECT_EQ(trace.records[2].payload, answer);
}

}  // namespace
}  // namespace kovw::net
