// A program session records its answers into the macro file and plays them back: the host
// program gets the same bytes without the user, through the same link.
#include "session/program/macro_session.h"

#include <QTemporaryDir>
#include <fstream>
#include <mutex>

#include "platform/colour_chooser.h"
#include "protocol/macro_file.h"
#include "protocol/program/host_requests.h"
#include "session/session_fixture.h"
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

}  // namespace
}  // namespace kovw::session::test
