#pragma once
// The display-independent part of a message box: the text as the box shows it, the button
// set and icon chosen by the flags, and the default answer when no box is shown.

#include <string>
#include <string_view>
#include <vector>

namespace kovw::foundation {

// Line breaks are made at a blank once more than this many characters stand on the line.
inline constexpr int kMessageLineWidth = 30;

// The text converted to UTF-8: taken as UTF-8 when `utf8` is set (invalid sequences become
// U+FFFD); otherwise taken as UTF-8 when it is valid UTF-8, else as Windows-1252 text.
std::string message_text_to_utf8(std::string_view text, bool utf8);

// The box text: every backslash-n pair, CR, LF and CR LF becomes a line break ("\n"), and a
// blank that follows more than kMessageLineWidth characters since the last break becomes one
// too. Characters are counted as UTF-8 code points.
std::string message_box_text(std::string_view text);

enum class MessageButton { Ok, Cancel, Abort, Retry, Ignore, Yes, No, TryAgain, Continue };
enum class MessageIcon { Information, Question };

struct MessageButtonSpec {
  MessageButton button;
  int answer;        // what show_message returns when this button is chosen
  int label_number;  // message-table label (20001-20006), 0 where the system names the button
};

// The button set of flags & 0xF when flags & 7 is not 0 (1 OK/Cancel, 2 Abort/Retry/Ignore,
// 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel, 6 Cancel/Try again/Continue), else OK alone.
// The first button is the default.
std::vector<MessageButtonSpec> message_buttons(int flags);
// The question icon when flags & 7 is not 0, else the information icon.
MessageIcon message_icon(int flags);
// The answer when no box is shown: Yes (6) when the flags ask for buttons, OK (1) otherwise.
int message_default_answer(int flags);

// The buttons of the workstation's own message dialog (drawn in the colour model's colours):
// 0 OK; 1 OK, Cancel; 3 Yes, No, Cancel; 4 Yes, No; 5 Try again, Cancel; 2 and 6 Cancel,
// Try again, Continue. Labels are all from the message table.
std::vector<MessageButtonSpec> message_dialog_buttons(int flags);
// The lines of that dialog: the first ten lines of the box text, leading blanks removed and
// tabs shown as blanks.
std::vector<std::string> message_dialog_lines(std::string_view box_text);

}  // namespace kovw::foundation
