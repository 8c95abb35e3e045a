#pragma once
// The one message box routine of the workstation. The box itself is drawn by a presenter
// that the GUI layer installs; without one (and in log-only mode, unattended runs and
// workflow mode) no box is shown and the default answer is returned.

#include <cstdarg>
#include <optional>
#include <string>
#include <vector>

#include "foundation/message_text_layout.h"

namespace kovw::foundation {

// Answers.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerContinue = 5;
inline constexpr int kAnswerIgnore = 5;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Flags (low 4 bits: the button set, 0 OK ... 6 Cancel/Try again/Continue).
inline constexpr int kMsgOkCancel = 1;
inline constexpr int kMsgAbortRetryIgnore = 2;
inline constexpr int kMsgYesNoCancel = 3;
inline constexpr int kMsgYesNo = 4;
inline constexpr int kMsgRetryCancel = 5;
inline constexpr int kMsgCancelTryContinue = 6;
// Bits 0xE0: the non-blocking forms.
inline constexpr int kMsgFormMask = 0xE0;
inline constexpr int kMsgFormOpenWindow = 0x20;    // open the session's modeless message window
inline constexpr int kMsgFormCloseWindows = 0x40;  // close it and the splash window
inline constexpr int kMsgFormSplash = 0x60;        // open the splash window with the text
inline constexpr int kMsgFormReplaceText = 0x80;   // replace the modeless window's text
inline constexpr int kMsgDialogFlag = 0x100;       // handed to the colour-model dialog
inline constexpr int kMsgNoColourModel = 0x1000;   // never draw the box as colour-model dialog
inline constexpr int kMsgDialogAnswer = 0x2000;    // read by the host dialog answer
inline constexpr int kMsgUtf8 = 0x4000;            // the text is UTF-8, not ANSI
inline constexpr int kMsgLogOnly = 0x10000000;

// The longest formatted text in bytes (including the terminating zero).
inline constexpr int kMessageTextMax = 2048;

// The environment variable of unattended runs: set to "1", every box takes its log-only form
// and the default answer.
inline constexpr const char* kUnattendedVariable = "KOVW_UNATTENDED";
bool unattended();

// printf-like; `owner` is the owning window (a QWidget* in the GUI layer) or nullptr.
// Returns the button chosen (1 OK, 2 Cancel, 3 Abort, 4 Retry/Try again, 5 Continue/Ignore,
// 6 Yes, 7 No) or, where no box is shown, message_default_answer(flags).
int show_message(void* owner, int flags, int system_error, const char* caption, const char* format,
                 ...) __attribute__((format(printf, 5, 6)));
int show_message_v(void* owner, int flags, int system_error, const char* caption,
                   const char* format, va_list args) __attribute__((format(printf, 5, 0)));
// The format is the message-table text `number` in the current language.
int show_message_number(void* owner, int flags, int system_error, const char* caption, int number,
                        ...);

// The text with the system error appended when it is above 0: a line break (a blank in
// log-only mode), the number, a blank and the system's text for it (message 40429 when the
// system has none).
std::string message_with_system_error(std::string text, int system_error, bool log_only);

// One box as a presenter or a session shows it.
struct MessageBoxRequest {
  void* owner = nullptr;
  int flags = 0;        // the caller's flags without kMsgLogOnly
  std::string caption;  // UTF-8
  std::string text;     // UTF-8, line breaks made (message_box_text)
  MessageIcon icon = MessageIcon::Information;
  std::vector<MessageButtonSpec> buttons;  // the first one is the default
};

// Draws the system message box: task-modal, in the foreground, without owner. Installed once
// by the GUI layer and called from any thread; returns the answer of the button chosen.
class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  virtual int present(const MessageBoxRequest& request) = 0;
};
void set_message_presenter(MessagePresenter* presenter);
MessagePresenter* message_presenter();

// The part a program session takes in showing messages on its own thread. A program thread
// installs its handler with set_thread_message_handler; threads without one skip these steps.
class SessionMessageHandler {
 public:
  virtual ~SessionMessageHandler() = default;
  // True when boxes are log-only on this thread: the session shows a graphics window of the
  // second kind and has not allowed boxes there.
  virtual bool boxes_suppressed() = 0;
  // Remembers the flags of the message being shown (without kMsgLogOnly).
  virtual void set_current_message_flags(int flags) = 0;
  // A non-blocking form (flags & kMsgFormMask: 0x20, 0x40, 0x60 or 0x80); returns at once.
  virtual void show_message_form(int form, const MessageBoxRequest& request) = 0;
  // True while a macro is played back: the box is then replaced by show_playback_message,
  // the modeless message window shown for one second.
  virtual bool macro_playback() = 0;
  virtual void show_playback_message(const MessageBoxRequest& request) = 0;
  // Called when kMsgNoColourModel is clear: when the session has a content window, its colour
  // model is on and the screen is not a graphics window of the second kind, shows the box as
  // the workstation's own dialog (message_dialog_buttons, message_dialog_lines, caption or
  // message 10085) and returns the answer; otherwise returns std::nullopt.
  virtual std::optional<int> show_colour_model_box(const MessageBoxRequest& request) = 0;
};
void set_thread_message_handler(SessionMessageHandler* handler);
SessionMessageHandler* thread_message_handler();

}  // namespace kovw::foundation
