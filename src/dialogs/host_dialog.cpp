#include "dialogs/host_dialog.h"

#include <algorithm>
#include <cstring>

#include "foundation/host_text.h"
#include "net/fields.h"
#include "protocol/little_endian.h"

namespace kovw::dialogs {

namespace {

std::int16_t le16(const std::uint8_t* p) {
  return static_cast<std::int16_t>(protocol::le16(p));
}
std::int32_t le32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(protocol::le32(p));
}
void put16(std::uint8_t* p, int value) {
  protocol::put_le16(p, static_cast<std::uint16_t>(value));
}
void put32(std::uint8_t* p, std::int32_t value) {
  protocol::put_le32(p, static_cast<std::uint32_t>(value));
}

DialogHeader decode_header(const std::array<std::uint8_t, kDialogHeaderSize>& r) {
  DialogHeader h;
  h.kind = le16(&r[0]);
  h.flags = static_cast<std::uint16_t>(le16(&r[2]));
  h.visible_lines = le16(&r[4]);
  h.width = le16(&r[6]);
  h.line_count = le16(&r[8]);
  h.button_count = le16(&r[10]);
  h.selected = le16(&r[12]);
  h.line_length = le16(&r[14]);
  h.key = r[16];
  h.changed = r[17];
  h.input_length = le16(&r[18]);
  h.kept20 = le16(&r[20]);
  h.kept22 = le16(&r[22]);
  h.total_lines = le32(&r[56]);
  h.first_line = le32(&r[60]);
  h.options = 0;  // never taken from the host
  h.kept68 = le32(&r[68]);
  return h;
}

// One field of the definition: false (with the tags) when another tag stands there.
struct Reader {
  net::FieldCursor at;
  ParsedDefinition& out;

  bool tagged(int tag, std::span<std::uint8_t> target, std::size_t* length) {
    const long word = net::get_tagged_field(at, target, length, tag);
    if (at.failed) {
      out.error = "definition runs past the payload";
      return false;
    }
    if (word < 0) {
      out.found_tag = static_cast<int>((-word) & 0x3FFF);
      out.expected_tag = tag;
      return false;
    }
    return true;
  }
  // A text field into a buffer of 1024 bytes: the bytes up to the first zero.
  bool text(std::string& value, std::size_t fixed_length = 0) {
    std::array<std::uint8_t, kDialogTextMax> buffer{};
    std::size_t length = 0;
    if (!tagged(kDialogTextTag, buffer, &length)) return false;
    std::size_t end = length;
    if (fixed_length > 0)
      end = std::min(length, fixed_length);
    else if (const void* zero = std::memchr(buffer.data(), 0, length))
      end = static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - buffer.data());
    value.assign(reinterpret_cast<const char*>(buffer.data()), end);
    return true;
  }
};

}  // namespace

ParsedDefinition parse_dialog_definition(std::span<const std::uint8_t> payload,
                                         const DialogDefinition& previous) {
  ParsedDefinition out;
  Reader in{net::FieldCursor(payload), out};
  std::array<std::uint8_t, kDialogHeaderSize> record{};
  std::size_t length = 0;
  if (!in.tagged(kDialogHeaderTag, record, &length)) return out;
  DialogDefinition next = previous;
  const DialogHeader header = decode_header(record);
  if (header.line_count < 0 || header.button_count < 0 || header.total_lines < 0) {
    out.error = "negative count in the dialog header";
    return out;
  }
  const int kind = header.kind;
  const int line_flags = (header.flags & kDialogUtf8Lines) ? foundation::kTextUtf8 : 0;
  const int label_flags = foundation::kTextTrimBlanks |
                          ((header.flags & kDialogUtf8Labels) ? foundation::kTextUtf8 : 0);
  if (kind < 32) {
    next.buttons.clear();
    for (int i = 0; i < header.button_count; ++i) {
      std::array<std::uint8_t, kDialogButtonSize> button{};
      if (!in.tagged(kDialogButtonTag, button, &length)) return out;
      DialogButton b;
      b.label = foundation::host_to_wide(
          std::string_view(reinterpret_cast<const char*>(button.data()),
                           strnlen(reinterpret_cast<const char*>(button.data()), 20)),
          label_flags);
      b.help = foundation::host_to_wide(
          std::string_view(reinterpret_cast<const char*>(button.data() + 20),
                           strnlen(reinterpret_cast<const char*>(button.data() + 20), 80)),
          label_flags);
      b.kept = le16(&button[100]);
      b.key = le16(&button[102]);
      b.result = le16(&button[104]);
      b.button_flags = le16(&button[106]);
      next.buttons.push_back(std::move(b));
    }
  }
  if (kind <= 32) {
    next.lines.clear();
    const std::size_t fixed =
        (header.flags & kDialogFixedLines)
            ? static_cast<std::size_t>(std::clamp<int>(header.line_length, 0, 1023))
            : 0;
    for (int i = 0; i < header.line_count; ++i) {
      std::string line;
      if (!in.text(line, fixed)) return out;
      next.lines.push_back(foundation::host_to_wide(line, line_flags));
    }
    std::string title;
    if (!in.text(title)) return out;
    next.title = foundation::host_to_wide(title, label_flags);
  }
  if (kind < 32 && (kind == 3 || (header.flags & kDialogInput))) {
    std::string input;
    if (!in.at.at_end() && !in.text(input)) return out;
    next.input = foundation::host_to_wide(input, line_flags);
  } else if (kind < 32) {
    next.input.clear();
  }
  const std::int32_t options = next.header.options;
  next.header = header;
  next.header.options = options;
  if (kind == 3) next.header.flags |= kDialogInput;
  next.header.flags &= static_cast<std::uint16_t>(~kDialogMovedInList);
  next.header.changed = 0;
  next.header.first_line = std::max(0, next.header.first_line);
  if (kind < 32)
    next.header.visible_lines = std::max<std::int16_t>(header.visible_lines, header.line_count);
  if (next.header.total_lines > next.header.visible_lines) next.header.flags |= kDialogScrollBar;
  if (next.header.selected < 0 || next.header.selected > static_cast<int>(next.lines.size()))
    next.header.selected = 0;
  out.definition = std::move(next);
  return out;
}

std::vector<std::uint8_t> build_dialog_reply(const DialogDefinition& definition, int kind,
                                             int result) {
  const DialogHeader& h = definition.header;
  std::array<std::uint8_t, kDialogHeaderSize> r{};
  put16(&r[0], h.kind);
  put16(&r[2], h.flags);
  put16(&r[4], h.visible_lines);
  put16(&r[6], h.width);
  put16(&r[8], h.line_count);
  put16(&r[10], h.button_count);
  put16(&r[12], h.selected);
  put16(&r[14], h.line_length);
  r[16] = h.key;
  r[17] = h.changed;
  put16(&r[18], h.input_length);
  put16(&r[20], h.kept20);
  put16(&r[22], h.kept22);
  put32(&r[56], h.total_lines);
  put32(&r[60], h.first_line);
  put32(&r[64], h.options);
  put32(&r[68], h.kept68);
  std::vector<std::uint8_t> payload;
  net::put_tagged_field(payload, r.data(), r.size(), kDialogHeaderTag);
  // The result as an integer field: 2-byte width, 4 big-endian value bytes.
  payload.insert(payload.end(), {0, 4});
  for (int shift = 24; shift >= 0; shift -= 8)
    payload.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(result) >> shift));
  if (kind != 34 && definition.has_input()) {
    std::string text = foundation::wide_to_host(
        definition.input, (h.flags & kDialogUtf8Lines) ? foundation::kTextUtf8 : 0);
    text.push_back('\0');
    net::put_tagged_field(payload, text.data(), text.size(), kDialogTextTag);
  }
  return payload;
}

// ---------------------------------------------------------------------------------------------

DialogStep DialogState::define(std::span<const std::uint8_t> payload) {
  DialogStep step = define_step(payload);
  if (step.reply && step.payload.empty())
    step.payload = build_dialog_reply(current_, step.reply_kind, *step.reply);
  return step;
}

DialogStep DialogState::define_step(std::span<const std::uint8_t> payload) {
  const bool owed = pending_ != -1;
  ParsedDefinition parsed = parse_dialog_definition(payload, current_);
  if (!parsed.definition) {
    DialogStep step;
    if (parsed.expected_tag != 0) {
      step.message = 10049;
      step.found_tag = parsed.found_tag;
      step.expected_tag = parsed.expected_tag;
      step.message_text = "dm_dialog " + std::to_string(parsed.found_tag) + " " +
                          std::to_string(parsed.expected_tag);
      // The host that waits for nothing else gets the fault as its result.
      if (!owed) step.reply = parsed.found_tag * 65536 + parsed.expected_tag;
    } else {
      step.message_text = parsed.error;
      if (!owed) step.reply = -1;
    }
    step.reply_kind = current_.header.kind;
    return step;
  }
  DialogDefinition next = std::move(*parsed.definition);
  const int kind = next.header.kind;
  const int owed_kind = pending_;
  pending_ = -1;
  DialogStep step;
  if (kind >= 0 && kind <= 3) {
    if (next.buttons.empty()) {
      step.message = -1;
      step.message_text = "KOVW Call Error, Empty Message Box (no Text inside)";
      step.reply = 1;
      step.reply_kind = kind;
      return step;
    }
    if (shown_) {
      if (stack_.size() >= static_cast<std::size_t>(kMaxStackedDialogs)) {
        // An eleventh hidden dialog is refused; the shown one stays.
        step.message = -1;
        step.message_text = "KOVW: too many open dialogs (10 are hidden already)";
        step.reply = -1;
        step.reply_kind = kind;
        pending_ = owed_kind;
        return step;
      }
      stack_.push_back({current_, owed_kind});
      step.hide_for_stack = true;
    }
    current_ = std::move(next);
    shown_ = true;
    step.show = true;
    if (kind == 1) {
      step.reply = 0;
      step.reply_kind = kind;
    } else {
      pending_ = kind;
    }
    return step;
  }
  // The other kinds act on the shown dialog with the new header values.
  const std::int16_t visible = current_.header.visible_lines;
  const std::int16_t shown_kind = current_.header.kind;
  current_ = std::move(next);
  current_.header.kind = shown_kind;
  if (kind == 32 && shown_) current_.header.visible_lines = visible;
  if (kind != 32) current_.header.visible_lines = visible;
  switch (kind) {
    case 32:
      step.refill = shown_;
      step.reply = 0;
      break;
    case 33:
    case 35:
    case 36:
    case 37:
      pending_ = kind;
      return step;
    case 34:
      step.payload = build_dialog_reply(current_, kind, 0);
      if (shown_) close_shown(step);
      step.reply = 0;
      break;
    default:
      step.reply = 0;
      break;
  }
  step.reply_kind = kind;
  return step;
}

DialogStep DialogState::act(const DialogAction& action, bool hold) {
  DialogStep step;
  if (!shown_) return step;
  DialogHeader& h = current_.header;
  h.selected = static_cast<std::int16_t>(std::clamp(action.selected, 0, 32767));
  if (action.visible_lines > 0) h.visible_lines = static_cast<std::int16_t>(action.visible_lines);
  if (current_.has_input()) {
    std::u16string typed = action.input.substr(0, 255);
    const int capacity = h.input_length > 0 ? std::min<int>(h.input_length, 255) : 80;
    if (typed.size() > static_cast<std::size_t>(capacity)) typed.resize(capacity);
    if (typed != current_.input) {
      current_.input = typed;
      h.changed = 1;
    }
  }
  auto clamp_first = [&] {
    if (h.first_line + h.visible_lines > h.total_lines)
      h.first_line = h.total_lines - h.visible_lines;
    if (h.first_line < 0) h.first_line = 0;
  };
  std::optional<int> result;
  int key = 0;
  bool close = false;
  using K = DialogAction::Kind;
  switch (action.kind) {
    case K::Button:
      if (action.value >= 0 && action.value < static_cast<int>(current_.buttons.size()))
        result = current_.buttons[action.value].result;
      break;
    case K::ListEnter:
      result = kResultEnter;
      break;
    case K::UpAtTop:
      h.selected = 0;
      result = kResultUpAtTop;
      break;
    case K::DownAtBottom:
      h.selected = static_cast<std::int16_t>(current_.lines.size() + 1);
      result = kResultDownAtBottom;
      break;
    case K::PageUp:
    case K::PageDown:
      h.first_line += (action.kind == K::PageDown ? 1 : -1) * h.visible_lines;
      clamp_first();
      result = kResultScrolled;
      break;
    case K::Scroll:
      h.first_line = action.value;
      clamp_first();
      result = kResultScrolled;
      break;
    case K::Wheel:
      h.first_line += action.value;
      clamp_first();
      result = kResultScrolled;
      break;
    case K::Character:
      result = kResultCharacter;
      key = action.value;
      break;
    case K::HostKey:
      for (const DialogButton& button : current_.buttons) {
        if (button.key != 0 && button.key == action.value) {
          result = button.result;
          key = action.value;
          break;
        }
      }
      break;
    case K::CloseBox:
      result = kResultCloseBox;
      close = true;
      break;
    case K::Moved:
      h.flags |= kDialogMovedInList;
      return step;
  }
  if (!result) return step;
  if (pending_ != -1) {
    h.key = static_cast<std::uint8_t>(key);
    DialogDefinition sent = current_;
    if (pending_ == 0 || pending_ == 36) sent.header.selected = 0;
    step.reply = *result;
    step.reply_kind = pending_;
    step.payload = build_dialog_reply(sent, pending_, *result);
    if (pending_ == 0) close = true;
    if (!hold) pending_ = -1;
  }
  if (close) close_shown(step);
  return step;
}

void DialogState::close_shown(DialogStep& step) {
  step.close = true;
  shown_ = false;
  if (stack_.empty()) return;
  // The last hidden dialog comes back as it was.
  current_ = std::move(stack_.back().definition);
  pending_ = stack_.back().pending;
  stack_.pop_back();
  shown_ = true;
  step.restore = true;
}

void DialogState::close_all() {
  stack_.clear();
  shown_ = false;
  pending_ = -1;
}

}  // namespace kovw::dialogs
