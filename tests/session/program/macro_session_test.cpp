// A program session records its answers into the macro file and plays them back: the host
// program gets the same bytes without the user, through the same link.
#include "session/program/macro_session.h"

#include <QTemporaryDir>
#include <fstream>
#include <mutex>

#include <QTest>
#include "platform/colour_chooser.h"
#include "protocol/macro_file.h"
#include "protocol/program/host_requests.h"
#include "session/session_fixture.h"
#include "session/view/text_screen_widget.h"
#include "shell/macro_comment.h"
#include "shell/macro_state.h"

namespace kovw::session::test {
namespace {

class CountingColourUser : public platform::ColourResponder {
 public:
  platform::ColourChoice choose(QRgb initial, const platform::CustomColours& custom) override {
    std::lock_guard lock(mutex);
    ++asked;
    const bool chosen = !colours.empty();
    const QRgb colour = chosen ? colours.front() : initial;
    if (chosen) colours.erase(colours.begin());
    return {chosen, colour, custom};
  }
  std::mutex mutex;
  std::vector<QRgb> colours;
  int asked = 0;
};

std::vector<std::string> g_statuses;
void keep_status(const std::string& text) {
  g_statuses.push_back(text);
}

class MacroSessionTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    ASSERT_TRUE(dir_.isValid());
    shell::testing::set_macro_status_sink(keep_status);
    g_statuses.clear();
    std::string error;
    ASSERT_TRUE(shell::macro_prepare(dir_.path().toStdString(), "Auftrag", error)) << error;
    platform::set_colour_responder(&user_colours_);
  }
  void TearDown() override {
    SessionTest::TearDown();
    platform::set_colour_responder(nullptr);
    shell::macro_off();
    shell::testing::set_macro_status_sink(nullptr);
    shell::testing::set_macro_comment_responder({});
    shell::testing::reset_macro_state();
    testing::reset_macro_sequences();
  }

  // A program that asks for two colours; returns the answers as they arrived.
  std::vector<std::vector<std::uint8_t>> run_program() {
    HostPeer& peer = start_program();
    init_program(peer, 42, "/usr/bin/Farben");
    std::vector<std::vector<std::uint8_t>> answers;
    for (const protocol::Colour colour : {protocol::Colour{1, 2, 3}, protocol::Colour{4, 5, 6}}) {
      const auto request = protocol::build_kgetcol(colour);
      EXPECT_GT(peer.send(request.service, request.type, request.payload), 0);
      auto [header, payload] = answer_pumping(peer);
      EXPECT_EQ(header.service, net::KWD_KOMM);
      EXPECT_EQ(header.type, net::KWK_KGETCOL);
      answers.push_back(payload);
    }
    peer.close();
    EXPECT_TRUE(wait_until([] { return program_count() == 0 && live_program_threads() == 0; }));
    return answers;
  }

  std::string file() const { return shell::macro_state().directory + "/Farben_1.mdx"; }

  QTemporaryDir dir_;
  CountingColourUser user_colours_;
};

TEST_F(MacroSessionTest, RecordedAnswersPlayBackByteIdenticalWithoutTheUser) {
  std::string error;
  ASSERT_TRUE(shell::macro_record(error)) << error;
  user_colours_.colours = {qRgb(10, 20, 30)};  // the second choice is cancelled
  const auto recorded = run_program();
  EXPECT_EQ(user_colours_.asked, 2);

  std::ifstream in(file(), std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  const protocol::MacroFileContents contents = protocol::decode_macro_file(bytes);
  ASSERT_FALSE(contents.failure);
  ASSERT_EQ(contents.records.size(), 2u);
  EXPECT_EQ(contents.records[0].kind, protocol::kMacroColour);
  EXPECT_EQ(contents.records[0].tag, "<kgetcol>");

  shell::macro_off();
  testing::reset_macro_sequences();  // as in a new process
  shell::macro_play(*protocol::parse_macro_wait_rule("+20"));
  const auto played = run_program();
  EXPECT_EQ(played, recorded);
  EXPECT_EQ(user_colours_.asked, 2);  // the user was not asked again
  EXPECT_NE(std::find(g_statuses.begin(), g_statuses.end(), "Makro Wiedergabe aktiv"),
            g_statuses.end());
}

// A damaged file is refused whole with a message; the program then asks the user.
TEST_F(MacroSessionTest, DamagedFileIsReportedAndTheUserAnswers) {
  std::vector<std::uint8_t> bytes = protocol::macro_file_header();
  const auto record = protocol::encode_macro_record(*protocol::macro_record_of_answer(
      net::KWD_KOMM, net::KWK_KGETCOL, std::vector<std::uint8_t>{0, 4, 0, 0, 0, 9}, false));
  bytes.insert(bytes.end(), record.begin(), record.end() - 1);  // cut short
  std::filesystem::create_directories(shell::macro_state().directory);
  std::ofstream(file(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  shell::macro_play({});
  run_program();
  EXPECT_EQ(user_colours_.asked, 2);
  bool reported = false;
  for (const std::string& text : user_.asked)
    reported |= text.find("Fehler beim Lesen der Makro-Datei.") != std::string::npos &&
                text.find("Farben_1.mdx") != std::string::npos;
  EXPECT_TRUE(reported) << ::testing::PrintToString(user_.asked);
}

// Typed keys are recorded as key data with a comment between them (Shift+F3); playback sends the
// same key data unasked once the screen is ready, and skips the comment.
TEST_F(MacroSessionTest, TypedKeysAndCommentsPlayBack) {
  shell::testing::set_macro_comment_responder([] {
    return shell::MacroComment{"Schritt", "nach dem A"};
  });
  std::string error;
  ASSERT_TRUE(shell::macro_record(error)) << error;
  const auto keys_program = [this](bool type) {
    HostPeer& peer = start_program();
    const auto ids = init_program(peer, 7, "Tasten");
    EXPECT_GT(define_screen(peer, "Keys", 1, 40, 10, 10, 10), 0);
    QWidget* window = nullptr;
    EXPECT_TRUE(wait_until([&] {
      window = registered_window(ids[0]);
      return window != nullptr && window->isVisible();
    }));
    if (type) {
      QTest::keyClick(window, 'A', Qt::ShiftModifier);
      QTest::keyClick(window, Qt::Key_F3, Qt::ShiftModifier);
      QTest::keyClick(window, Qt::Key_F7);
    }
    std::vector<std::vector<std::uint16_t>> got;
    for (int i = 0; i < 2; ++i) {
      auto [header, payload] = answer_pumping(peer);
      EXPECT_EQ(header.type, net::KWK_WTAST);
      std::vector<std::uint16_t> codes;
      for (std::size_t at = 0; at + 1 < payload.size(); at += 2)
        codes.push_back(static_cast<std::uint16_t>(payload[at] | payload[at + 1] << 8));
      got.push_back(codes);
    }
    peer.close();
    EXPECT_TRUE(wait_until([] { return program_count() == 0 && live_program_threads() == 0; }));
    return got;
  };
  const auto typed = keys_program(true);
  std::ifstream in(shell::macro_state().directory + "/Tasten_1.mdx", std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  const auto contents = protocol::decode_macro_file(bytes);
  ASSERT_FALSE(contents.failure);
  ASSERT_EQ(contents.records.size(), 3u);
  EXPECT_EQ(contents.records[0].kind, protocol::kMacroKeys);
  EXPECT_EQ(contents.records[1].kind, protocol::kMacroComment);
  EXPECT_EQ(contents.records[1].tag, "Schritt");
  EXPECT_EQ(contents.records[2].kind, protocol::kMacroKeys);

  shell::macro_off();
  testing::reset_macro_sequences();
  shell::macro_play(*protocol::parse_macro_wait_rule("+10"));
  EXPECT_EQ(keys_program(false), typed);
}

}  // namespace
}  // namespace kovw::session::test
