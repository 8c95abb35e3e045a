// Graphics requests the host waits on without a graphics window: the graphics cursor state,
// the input abort and the calls of the video and speech helpers, which this platform lacks.

#include <cstring>

#include "protocol/program/window_service.h"
#include "session/program/graphics_requests.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

class GraphicsRequestsTest : public SessionTest {
 protected:
  static std::pair<net::LinkMessage, std::vector<std::uint8_t>> ask(
      HostPeer& peer, int type, const std::vector<std::uint8_t>& payload = {}) {
    EXPECT_GT(peer.send(net::KWD_DIGRA, type, payload), 0);
    net::LinkMessage message;
    std::vector<std::uint8_t> answer;
    EXPECT_EQ(1, peer.receive(message, answer));
    EXPECT_EQ(net::KWD_DIGRA, message.service);
    EXPECT_EQ(type, message.type);
    return {message, answer};
  }
};

// Each KWK_CURSOR answers the state before it: 1 twice from the start answers 0 and 1, 0 then
// answers 1, 2 answers 2; a value outside 0 to 2 keeps the state.
TEST_F(GraphicsRequestsTest, CursorAnswersThePreviousState) {
  HostPeer& peer = start_program();
  init_program(peer, 80, "cursor");
  const std::pair<int, int> steps[] = {{1, 0}, {1, 1}, {0, 1}, {2, 2}, {9, 2}, {1, 2}, {0, 1}};
  for (const auto& [value, previous] : steps) {
    const auto out = protocol::build_single_int(net::KWD_DIGRA, net::KWK_CURSOR, value);
    EXPECT_EQ(std::vector<std::int32_t>{previous},
              read_ints(ask(peer, net::KWK_CURSOR, out.payload).second))
        << "value " << value;
  }
  // An unreadable request still gets the state.
  EXPECT_EQ(std::vector<std::int32_t>{2}, read_ints(ask(peer, net::KWK_CURSOR, {1, 2}).second));
}

// Without a pending input the abort answers 0, every time.
TEST_F(GraphicsRequestsTest, AbortWithoutPendingInputAnswersZero) {
  HostPeer& peer = start_program();
  init_program(peer, 81, "abort");
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(std::vector<std::int32_t>{0}, read_ints(ask(peer, net::KWK_GABORT).second));
}

// Video and speech answer as helpers that cannot be started: status 2 and the text at the
// record's place, in records of the sizes the host reads; also for a request cut short.
TEST_F(GraphicsRequestsTest, HelperCallsAnswerThatTheHelperCannotStart) {
  HostPeer& peer = start_program();
  init_program(peer, 82, "helpers");
  struct Case {
    int type;
    std::vector<std::uint8_t> request;
    std::size_t size, text_at;
    const char* text;
  };
  const std::vector<std::uint8_t> video =
      protocol::build_gvideo(std::vector<std::uint8_t>(protocol::kVideoRequestSize, 1)).payload;
  const std::vector<std::uint8_t> speech =
      protocol::build_gspeech(
          {std::vector<std::uint8_t>(protocol::kSpeechRequestSize, 0), {'h', 'i'}})
          .payload;
  const Case cases[] = {
      {net::KWK_GVIDEO, video, protocol::kVideoAnswerSize, 1, "VIDEO: Error 2 starting "},
      {net::KWK_GVIDEO, {0, 0, 0}, protocol::kVideoAnswerSize, 1, "VIDEO: Error 2 starting "},
      {net::KWK_GSPEECH, speech, protocol::kSpeechAnswerSize, 2, "SPEAK: Error 2 starting "},
  };
  for (const Case& test : cases) {
    const auto [message, payload] = ask(peer, test.type, test.request);
    const auto record = protocol::parse_helper_answer(test.type, payload);
    ASSERT_TRUE(record) << test.text;
    ASSERT_EQ(test.size, record->size());
    EXPECT_EQ(2, (*record)[0]);
    const std::string text(reinterpret_cast<const char*>(record->data() + test.text_at));
    EXPECT_EQ(0u, text.rfind(test.text, 0)) << text;
    EXPECT_NE(std::string::npos,
              text.find(test.type == net::KWK_GVIDEO ? "hvshowvideo" : "hvspeak"));
  }
}

// A text longer than the record is cut and stays terminated.
TEST(HelperAnswerRecord, LongTextIsCutAndTerminated) {
  const auto record = helper_answer_record(net::KWK_GSPEECH, 1, std::string(400, 'x'));
  ASSERT_EQ(protocol::kSpeechAnswerSize, record.size());
  EXPECT_EQ(1, record[0]);
  EXPECT_EQ(0, record[1]);
  EXPECT_EQ('x', record[2]);
  EXPECT_EQ(0, record.back());
  EXPECT_EQ(protocol::kSpeechAnswerSize - 3,
            std::strlen(reinterpret_cast<const char*>(&record[2])));
}

}  // namespace
}  // namespace kovw::session::test
