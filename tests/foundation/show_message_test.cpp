#include "foundation/show_message.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/error_text.h"
#include "foundation/message_table.h"
#include "foundation/workflow_state.h"

namespace kovw::foundation {
namespace {

class RecordingPresenter : public MessagePresenter {
 public:
  int present(const MessageBoxRequest& request) override {
    requests.push_back(request);
    return answer;
  }
  std::vector<MessageBoxRequest> requests;
  int answer = kAnswerNo;
};

class RecordingSession : public SessionMessageHandler {
 public:
  bool boxes_suppressed() override { return suppressed; }
  void set_current_message_flags(int flags) override { current_flags = flags; }
  void show_message_form(int form, const MessageBoxRequest& request) override {
    forms.push_back(form);
    texts.push_back(request.text);
  }
  bool macro_playback() override { return playback; }
  void show_playback_message(const MessageBoxRequest& request) override {
    texts.push_back("playback:" + request.text);
  }
  std::optional<int> show_colour_model_box(const MessageBoxRequest& request) override {
    ++colour_model_asked;
    if (!colour_model) return std::nullopt;
    texts.push_back("colour:" + request.text);
    return kAnswerCancel;
  }

  bool suppressed = false;
  bool playback = false;
  bool colour_model = false;
  int colour_model_asked = 0;
  int current_flags = -1;
  std::vector<int> forms;
  std::vector<std::string> texts;
};

// Shows real boxes through a recording presenter: the unattended switch is cleared, workflow
// mode is off, the language is English.
class ShowMessage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* value = std::getenv(kUnattendedVariable)) saved_unattended_ = value;
    unsetenv(kUnattendedVariable);
    saved_language_ = language();
    set_language(kLanguageEnglish);
    set_message_presenter(&presenter_);
    set_workflow_mode(false);
    set_workflow_result(0);
    dir_ = std::filesystem::temp_directory_path() /
           ("kovw_show_message_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    set_message_presenter(nullptr);
    set_thread_message_handler(nullptr);
    set_workflow_mode(false);
    set_workflow_result(0);
    set_workflow_protocol_path("");
    set_language(saved_language_);
    if (saved_unattended_) setenv(kUnattendedVariable, saved_unattended_->c_str(), 1);
    std::filesystem::remove_all(dir_);
  }
  static std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }

  RecordingPresenter presenter_;
  std::filesystem::path dir_;
  std::optional<std::string> saved_unattended_;
  int saved_language_ = kLanguageGerman;
};

TEST_F(ShowMessage, PresenterGetsTheBoxAndItsAnswerIsReturned) {
  presenter_.answer = kAnswerNo;
  const int answer = show_message(nullptr, kMsgYesNo, 0, "Login",
                                  "Still connected to %s. Leave program anyway?", "hostA");
  EXPECT_EQ(answer, kAnswerNo);
  ASSERT_EQ(presenter_.requests.size(), 1u);
  const MessageBoxRequest& box = presenter_.requests[0];
  EXPECT_EQ(box.caption, "Login");
  EXPECT_EQ(box.text, "Still connected to hostA. Leave\nprogram anyway?");
  EXPECT_EQ(box.icon, MessageIcon::Question);
  ASSERT_EQ(box.buttons.size(), 2u);
  EXPECT_EQ(box.buttons[0].answer, kAnswerYes);
  EXPECT_EQ(box.flags, kMsgYesNo);
}

TEST_F(ShowMessage, NumberedMessagesUseTheCurrentLanguage) {
  show_message_number(nullptr, 0, 0, "Start", 10051, "-z");
  set_language(kLanguageGerman);
  show_message_number(nullptr, 0, 0, "Start", 10209, "kovw.log", 13);
  ASSERT_EQ(presenter_.requests.size(), 2u);
  EXPECT_EQ(presenter_.requests[0].text, "Error command line: -z");
  EXPECT_EQ(presenter_.requests[1].text, "Kann kovw.log nicht öffnen, Fehler\n13");
  EXPECT_EQ(presenter_.requests[0].icon, MessageIcon::Information);
}

TEST_F(ShowMessage, LogOnlyFormsShowNoBoxAndReturnTheDefault) {
  EXPECT_EQ(show_message(nullptr, kMsgLogOnly | kMsgYesNo, 0, "c", "question"), kAnswerYes);
  EXPECT_EQ(show_message(nullptr, kMsgLogOnly, 0, "c", "note"), kAnswerOk);
  setenv(kUnattendedVariable, "1", 1);
  EXPECT_EQ(show_message(nullptr, kMsgRetryCancel, 10060, "c", "send"), kAnswerYes);
  EXPECT_EQ(show_message(nullptr, 0, 0, "c", "note"), kAnswerOk);
  setenv(kUnattendedVariable, "0", 1);
  show_message(nullptr, 0, 0, "c", "shown");
  EXPECT_EQ(presenter_.requests.size(), 1u);
}

TEST_F(ShowMessage, WithoutPresenterNoBoxIsShown) {
  set_message_presenter(nullptr);
  EXPECT_EQ(show_message(nullptr, kMsgYesNoCancel, 0, "c", "x"), kAnswerYes);
  EXPECT_EQ(show_message(nullptr, 0, 0, nullptr, nullptr), kAnswerOk);
}

TEST_F(ShowMessage, SystemErrorFollowsTheText) {
  const std::string error = error_text(10060, false);
  show_message(nullptr, 0, 10060, "c", "Cannot connect");
  ASSERT_EQ(presenter_.requests.size(), 1u);
  const std::string expected = "Cannot connect\n10060 " + (error.empty() ? "Unknown Error" : error);
  EXPECT_EQ(presenter_.requests[0].text, message_box_text(expected));
  // Log-only mode puts a blank in place of the line break; no error, nothing appended.
  EXPECT_EQ(message_with_system_error("t", 10060, true),
            "t 10060 " + (error.empty() ? "Unknown Error" : error));
  EXPECT_EQ(message_with_system_error("t", 0, false), "t");
  EXPECT_EQ(message_with_system_error("t", -5, false), "t");
}

TEST_F(ShowMessage, TextIsLimitedTo2047BytesWithoutSplittingCharacters) {
  const std::string long_word(5000, 'x');
  show_message(nullptr, 0, 0, "c", "%s", long_word.c_str());
  std::string umlauts;
  for (int i = 0; i < 2000; ++i) umlauts += "ä";
  show_message(nullptr, kMsgUtf8, 0, "c", "%s", umlauts.c_str());
  show_message(nullptr, 0, 0, "c", "a%s",
               umlauts.c_str());  // odd offset: the cut splits a character
  ASSERT_EQ(presenter_.requests.size(), 3u);
  EXPECT_EQ(presenter_.requests[0].text, std::string(2047, 'x'));
  std::string cut;
  for (int i = 0; i < 1023; ++i) cut += "ä";
  EXPECT_EQ(presenter_.requests[1].text.size(), 2046u);
  EXPECT_EQ(presenter_.requests[2].text.size(), 2047u);
  EXPECT_EQ(presenter_.requests[2].text.substr(1), cut);
}

TEST_F(ShowMessage, AnsiTextAndCaptionAreConverted) {
  show_message(nullptr, 0, 0,
               "Gr\xF6\xDF"
               "e",
               "Fl\xE4"
               "che");
  show_message(nullptr, kMsgUtf8, 0, "Größe", "Fläche");
  ASSERT_EQ(presenter_.requests.size(), 2u);
  EXPECT_EQ(presenter_.requests[0].caption, "Größe");
  EXPECT_EQ(presenter_.requests[0].text, "Fläche");
  EXPECT_EQ(presenter_.requests[1].text, "Fläche");
}

TEST_F(ShowMessage, WorkflowModeAppendsToTheProtocolAndKeepsTheFirstError) {
  const auto protocol = dir_ / "workflow.log";
  set_workflow_protocol_path(protocol.string());
  set_workflow_mode(true);
  setenv(kUnattendedVariable, "1", 1);  // unattended runs keep their workflow protocol
  EXPECT_EQ(show_message(nullptr, kMsgYesNo, 0, "c", "first %d", 1), kAnswerYes);
  EXPECT_EQ(workflow_result(), 0);
  show_message(nullptr, 0, 10061, "c", "second");
  show_message(nullptr, 0, 10054, "c", "third");
  EXPECT_EQ(workflow_result(), 200000 + 10061);
  EXPECT_TRUE(presenter_.requests.empty());
  const std::string content = read_file(protocol);
  EXPECT_EQ(content.rfind("first 1\nsecond\n10061 ", 0), 0u) << content;
  EXPECT_NE(content.find("\nthird\n10054 "), std::string::npos) << content;
  EXPECT_EQ(content.back(), '\n');
}

TEST_F(ShowMessage, WorkflowResultAlreadySetIsKept) {
  set_workflow_protocol_path((dir_ / "no_such_dir" / "wf.log").string());  // cannot be opened
  set_workflow_mode(true);
  set_workflow_result(300000 + 4);
  EXPECT_EQ(show_message(nullptr, 0, 10060, "c", "lost"), kAnswerOk);
  EXPECT_EQ(workflow_result(), 300004);
  EXPECT_TRUE(presenter_.requests.empty());
  // The log-only flag wins over workflow mode.
  set_workflow_result(0);
  show_message(nullptr, kMsgLogOnly, 10060, "c", "logged");
  EXPECT_EQ(workflow_result(), 0);
}

TEST_F(ShowMessage, SessionSuppressesBoxesAndRemembersFlags) {
  RecordingSession session;
  set_thread_message_handler(&session);
  session.suppressed = true;
  EXPECT_EQ(show_message(nullptr, kMsgYesNo, 0, "c", "graphics"), kAnswerYes);
  EXPECT_EQ(session.current_flags, -1);
  session.suppressed = false;
  EXPECT_EQ(show_message(nullptr, kMsgYesNo | 0x2000, 0, "c", "shown"), kAnswerNo);
  EXPECT_EQ(session.current_flags, kMsgYesNo | 0x2000);
  EXPECT_EQ(presenter_.requests.size(), 1u);
}

TEST_F(ShowMessage, NonBlockingFormsGoToTheSession) {
  RecordingSession session;
  set_thread_message_handler(&session);
  for (int form : {0x20, 0x40, 0x60, 0x80})
    EXPECT_EQ(show_message(nullptr, form, 0, "c", "form %x", form), kAnswerOk);
  EXPECT_EQ(session.forms, (std::vector<int>{0x20, 0x40, 0x60, 0x80}));
  EXPECT_EQ(session.texts[0], "form 20");
  for (int form : {0xA0, 0xC0, 0xE0}) show_message(nullptr, form, 0, "c", "box");
  EXPECT_EQ(presenter_.requests.size(), 3u);
  // Without a session the forms still return at once.
  set_thread_message_handler(nullptr);
  EXPECT_EQ(show_message(nullptr, 0x60 | kMsgYesNo, 0, "c", "splash"), kAnswerYes);
  EXPECT_EQ(presenter_.requests.size(), 3u);
}

TEST_F(ShowMessage, MacroPlaybackAndColourModelReplaceTheBox) {
  RecordingSession session;
  set_thread_message_handler(&session);
  session.playback = true;
  EXPECT_EQ(show_message(nullptr, kMsgYesNo, 0, "c", "during playback"), kAnswerYes);
  session.playback = false;
  session.colour_model = true;
  EXPECT_EQ(show_message(nullptr, kMsgOkCancel, 0, "c", "coloured"), kAnswerCancel);
  EXPECT_EQ(show_message(nullptr, kMsgOkCancel | kMsgNoColourModel, 0, "c", "system"), kAnswerNo);
  EXPECT_EQ(session.colour_model_asked, 1);
  EXPECT_EQ(session.texts,
            (std::vector<std::string>{"playback:during playback", "colour:coloured"}));
  ASSERT_EQ(presenter_.requests.size(), 1u);
  EXPECT_EQ(presenter_.requests[0].text, "system");
}

}  // namespace
}  // namespace kovw::foundation
