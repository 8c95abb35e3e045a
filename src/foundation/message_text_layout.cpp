#include "foundation/message_text_layout.h"

#include <cstdint>

#include "foundation/show_message.h"

namespace kovw::foundation {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at `pos`; returns its code point and advances `pos`, or returns
// -1 (leaving `pos`) when the bytes there are not a valid, shortest-form sequence.
long decode_utf8(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length;
  char32_t cp;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, minimum = 0x10000;
  } else {
    return -1;
  }
  if (pos + length > text.size()) return -1;
  for (int i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  pos += length;
  return static_cast<long>(cp);
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool valid_utf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();)
    if (decode_utf8(text, pos) < 0) return false;
  return true;
}

// Windows-1252 bytes 0x80-0x9F; the five unassigned bytes keep their C1 code points.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool is_continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

MessageButtonSpec button_spec(MessageButton button) {
  switch (button) {
    case MessageButton::Ok:
      return {button, kAnswerOk, 20001};
    case MessageButton::Cancel:
      return {button, kAnswerCancel, 20002};
    case MessageButton::Abort:
      return {button, kAnswerAbort, 0};
    case MessageButton::Retry:
      return {button, kAnswerRetry, 20005};
    case MessageButton::Ignore:
      return {button, kAnswerIgnore, 0};
    case MessageButton::Yes:
      return {button, kAnswerYes, 20003};
    case MessageButton::No:
      return {button, kAnswerNo, 20004};
    case MessageButton::TryAgain:
      return {button, kAnswerRetry, 20005};
    case MessageButton::Continue:
      return {button, kAnswerContinue, 20006};
  }
  return {MessageButton::Ok, kAnswerOk, 20001};
}

int button_set(int flags) {
  return (flags & 7) ? (flags & 0xF) : 0;
}

}  // namespace

std::string message_text_to_utf8(std::string_view text, bool utf8) {
  std::string out;
  out.reserve(text.size());
  if (utf8 || valid_utf8(text)) {
    for (std::size_t pos = 0; pos < text.size();) {
      const long cp = decode_utf8(text, pos);
      if (cp < 0) {
        append_utf8(out, kReplacement);
        ++pos;
      } else {
        append_utf8(out, static_cast<char32_t>(cp));
      }
    }
    return out;
  }
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b < 0xA0)
      append_utf8(out, kWindows1252High[b - 0x80]);
    else
      append_utf8(out, b);
  }
  return out;
}

std::string message_box_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  int column = 0;  // code points since the last line break
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      column = 0;
      ++i;
    } else if (c == '\r') {
      out += '\n';
      column = 0;
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += '\n';
      column = 0;
    } else if (c == ' ' && column > kMessageLineWidth) {
      out += '\n';
      column = 0;
    } else {
      out += c;
      if (!is_continuation(c)) ++column;
    }
  }
  return out;
}

std::vector<MessageButtonSpec> message_buttons(int flags) {
  using B = MessageButton;
  switch (button_set(flags)) {
    case 1:
      return {button_spec(B::Ok), button_spec(B::Cancel)};
    case 2:
      return {button_spec(B::Abort), button_spec(B::Retry), button_spec(B::Ignore)};
    case 3:
      return {button_spec(B::Yes), button_spec(B::No), button_spec(B::Cancel)};
    case 4:
      return {button_spec(B::Yes), button_spec(B::No)};
    case 5:
      return {button_spec(B::Retry), button_spec(B::Cancel)};
    case 6:
      return {button_spec(B::Cancel), button_spec(B::TryAgain), button_spec(B::Continue)};
    default:
      return {button_spec(B::Ok)};
  }
}

MessageIcon message_icon(int flags) {
  return (flags & 7) ? MessageIcon::Question : MessageIcon::Information;
}

int message_default_answer(int flags) {
  return (flags & 7) ? kAnswerYes : kAnswerOk;
}

std::vector<MessageButtonSpec> message_dialog_buttons(int flags) {
  using B = MessageButton;
  switch (button_set(flags)) {
    case 1:
      return {button_spec(B::Ok), button_spec(B::Cancel)};
    case 3:
      return {button_spec(B::Yes), button_spec(B::No), button_spec(B::Cancel)};
    case 4:
      return {button_spec(B::Yes), button_spec(B::No)};
    case 5:
      return {button_spec(B::TryAgain), button_spec(B::Cancel)};
    case 2:
    case 6:
      return {button_spec(B::Cancel), button_spec(B::TryAgain), button_spec(B::Continue)};
    default:
      return {button_spec(B::Ok)};
  }
}

std::vector<std::string> message_dialog_lines(std::string_view box_text) {
  constexpr std::size_t kMaxLines = 10;
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (lines.size() < kMaxLines && start <= box_text.size()) {
    std::size_t end = box_text.find('\n', start);
    if (end == std::string_view::npos) end = box_text.size();
    std::string line(box_text.substr(start, end - start));
    for (char& c : line)
      if (c == '\t') c = ' ';
    line.erase(0, line.find_first_not_of(' ') == std::string::npos ? line.size()
                                                                   : line.find_first_not_of(' '));
    lines.push_back(std::move(line));
    if (end == box_text.size()) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace kovw::foundation
