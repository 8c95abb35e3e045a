#pragma once
// The one message box routine of the workstation. The box itself is drawn by a presenter
// that the GUI layer installs; without one (and in log-only mode, unattended runs and
// workflow mode) no box is shown and the default answer is returned.

#include <string>

namespace kovw::foundation {

// Answers.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerContinue = 5;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Flags (low 4 bits: the button set, 0 OK ... 6 Cancel/Try again/Continue).
inline constexpr int kMsgOkCancel = 1;
inline constexpr int kMsgYesNoCancel = 3;
inline constexpr int kMsgYesNo = 4;
inline constexpr int kMsgUtf8 = 0x4000;
inline constexpr int kMsgLogOnly = 0x10000000;

// printf-like; `owner` is the owning window (a QWidget* in the GUI layer) or nullptr.
int show_message(void* owner, int flags, int system_error, const char* caption,
                 const char* format, ...);

}  // namespace kovw::foundation
