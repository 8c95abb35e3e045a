// An input field inside a graphics window (element operation 25): the program thread edits it
// with the user's keys (dialogs::FieldEditor, as the fields of text screens), the view draws it
// over the picture, and when the user leaves it the definition step's reply goes back with the
// exit key and the contents.

#include <QFontMetrics>
#include <algorithm>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "graphics/world_mapping.h"
#include "session/program/date_style.h"
#include "session/program/graphics_field.h"
#include "session/program/graphics_record_places.h"
#include "session/program/graphics_windows.h"
#include "session/program/key_translation.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_session.h"
#include "session/program/session_host.h"
#include "session/program/window_hardcopy_request.h"
#include "session/window_messages.h"

namespace kovw::session {

using namespace graphics_places;

namespace {

// Operands of operation 25 in the record.
constexpr std::size_t kWidthAt = 66;
constexpr std::size_t kBaselineXAt = 68;
constexpr std::size_t kBaselineYAt = 72;
constexpr std::size_t kFontNumberAt = 76;
constexpr std::size_t kFontSizeAt = 78;
constexpr std::size_t kFontAttributeAt = 80;
constexpr std::size_t kLengthAt = 88;
constexpr std::size_t kTextColourAt = 92;
constexpr std::size_t kBackgroundAt = 104;
constexpr std::size_t kElementFlagsAt = 118;
// The preset text, and in the reply the contents the user left.
constexpr std::size_t kTextAt = 144;
// Element flags.
constexpr int kNoField = 0x0010;
constexpr int kKeepFont = 0x0040;
constexpr int kWidthGiven = 0x0400;
constexpr int kUtf8Text = 0x0800;
constexpr int kFontBold = 0x0004;
constexpr int kFontItalic = 0x0008;
constexpr int kFontUnderline = 0x0080;
// The field description that follows the record.
constexpr std::size_t kTypeCodeAt = 20;
constexpr std::size_t kKindAt = 44;
constexpr std::size_t kHiddenAt = 49;
constexpr std::size_t kStayWhenFullAt = 53;
constexpr std::size_t kHelpAt = 63;
constexpr std::size_t kHelpSize = 60;
constexpr std::size_t kDisplayWidthAt = 294;
constexpr std::size_t kHelpKeyAt = 302;
constexpr std::size_t kHelpKeySize = 18;
// From this host library on the field is one pixel wider than its characters.
constexpr std::int32_t kVersionWiderField = 0x030d06;

std::string description_text(const std::vector<std::uint8_t>& d, std::size_t at, std::size_t size) {
  if (at >= d.size()) return {};
  const auto* start = reinterpret_cast<const char*>(d.data() + at);
  const std::size_t room = std::min(size, d.size() - at);
  const std::size_t length = std::find(start, start + room, '\0') - start;
  std::string text(start, length);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

int GraphicsProgram::start_field(const graphics::GraphicsDefinition& step) {
  const graphics::WindowRecord& r = step.record;
  const int flags = r.u16(kElementFlagsAt);
  if (flags & kNoField) return 0;  // only the normal cursor comes back
  drop_field();
  graphics::StreamWindow* window = stream().current();
  if (!window) return 0;
  const std::vector<std::uint8_t>& d = step.element_data;
  auto byte = [&](std::size_t at) -> int { return at < d.size() ? d[at] : 0; };

  dialogs::FieldRequest request;
  request.length = r.i16(kLengthAt);
  request.display_width =
      static_cast<std::int16_t>(byte(kDisplayWidthAt) | byte(kDisplayWidthAt + 1) << 8);
  const int kind = byte(kKindAt);
  if (kind == 1 || kind == 2) request.case_rule = static_cast<std::uint8_t>(kind);
  request.hidden = static_cast<std::uint8_t>(byte(kHiddenAt));
  request.stay_when_full = static_cast<std::uint8_t>(byte(kStayWhenFullAt));
  request.type_letter = static_cast<std::uint8_t>(byte(kTypeCodeAt));
  const bool utf8 = (flags & kUtf8Text) != 0;
  if (utf8) request.request_flags |= dialogs::kRequestUtf8;
  const int text_flags = utf8 ? foundation::kTextUtf8 : session_.host_text_flags();
  std::u16string preset =
      foundation::host_to_wide(r.text(kTextAt, graphics::kWindowRecordSize - kTextAt), text_flags);
  if (preset.size() > static_cast<std::size_t>(dialogs::kMaxFieldLength))
    preset.resize(dialogs::kMaxFieldLength);
  const int smart_edit =
      session_.host_hooks ? session_.host_hooks->smart_edit : dialogs::kSmartEditDefault;

  // The font: the window's current one, or the one the operands name.
  std::shared_ptr<graphics::CachedFont> font;
  if (flags & kKeepFont) {
    font = current_font(window->id);
  } else {
    graphics::FontRequest wanted;
    wanted.number = r.u8(kFontNumberAt);
    wanted.size = r.i16(kFontSizeAt);
    wanted.attribute = r.i16(kFontAttributeAt);
    wanted.options = ((flags & kFontBold) ? 0x04 : 0) | ((flags & kFontItalic) ? 0x08 : 0) |
                     ((flags & kFontUnderline) ? 0x40 : 0);
    font = information_font(window->id, wanted, false);
  }
  graphics::FieldLook look;
  if (font) look.font = font->font;
  const QFontMetrics metrics(look.font);
  const graphics::DevicePoint baseline =
      window->mapping.map(r.i32(kBaselineXAt), r.i32(kBaselineYAt));
  int width = 0;
  if (flags & kWidthGiven) {
    width = std::abs(window->mapping.map_length_x(r.i16(kWidthAt)));
  } else {
    width = request.shown_width() * metrics.averageCharWidth();
    if (session_.host_version >= kVersionWiderField) ++width;
  }
  QPoint at(baseline.x, baseline.y - metrics.ascent());
  if (const auto sub = sub_windows_.find(window->id); sub != sub_windows_.end())
    at -= sub->second.scroll;
  look.rect = QRect(at, QSize(std::max(width, 1), metrics.ascent() + metrics.descent()));
  look.text_colour = QColor::fromRgba(graphics::colour_record_at(r, kTextColourAt));
  look.background = QColor::fromRgba(graphics::colour_record_at(r, kBackgroundAt));

  std::string help = description_text(d, kHelpAt, kHelpSize);
  const std::string key = description_text(d, kHelpKeyAt, kHelpKeySize);
  if (!key.empty()) help += " [" + key + "]";
  field_ = std::make_unique<ActiveField>(ActiveField{
      dialogs::FieldEditor(request, std::move(preset), smart_edit, date_style_of(QLocale())),
      window->id, look, QString::fromStdU16String(foundation::host_to_wide(help, text_flags))});
  post_picture(window->id);
  post_to_view(*session_.to_view, to_view::StatusText{field_->help});
  show_field();
  session_.graphics_pending_answer = 2;
  return 0;
}

void GraphicsProgram::show_field() {
  to_view::GraphicsWindow message;
  message.operation = to_view::GraphicsWindow::Operation::Field;
  if (field_) {
    graphics::FieldLook& look = field_->look;
    look.shown = true;
    look.text = QString::fromStdU16String(field_->editor.shown_text());
    look.cursor = field_->editor.cursor();
    look.insert = field_->editor.insert_mode();
    look.first = graphics::first_shown(look.text, look.cursor, look.rect.width(), look.first,
                                       QFontMetrics(look.font));
    message.window = field_->window;
    message.field = look;
  }
  post_to_view(*session_.to_view, std::move(message));
}

void GraphicsProgram::drop_field() {
  if (!field_) return;
  const std::int32_t window = field_->window;
  field_.reset();
  to_view::GraphicsWindow hide;
  hide.operation = to_view::GraphicsWindow::Operation::Field;
  hide.window = window;
  post_to_view(*session_.to_view, std::move(hide));
  post_to_view(*session_.to_view, to_view::StatusText{session_.frame.status_text});
  if (session_.graphics_pending_answer == 2) session_.graphics_pending_answer = 0;
}

void GraphicsProgram::field_step(const dialogs::FieldStep& step) {
  if (step.beep) beep();
  if (step.hardcopy) request_window_hardcopy(session_, 0);
  if (!step.left) {
    show_field();
    return;
  }
  // The reply carries the exit key with the kind of a key, and the contents where the preset
  // came, as far as the record holds them.
  int length = 0;
  const std::string contents = field_->editor.reply_contents(session_.host_text_flags(), &length);
  const std::string logged = field_->editor.logged_contents(contents);
  foundation::log_printf("Sende DIGRA Feld Taste %d %.*s", step.exit_key,
                         static_cast<int>(logged.size()), logged.c_str());
  graphics::WindowRecord& record = definition_.record;
  record.set16(kInputKindAt, graphics::kInputKey);
  record.set16(kInputKeyAt, step.exit_key);
  const std::size_t room = graphics::kWindowRecordSize - kTextAt;
  for (std::size_t i = 0; i < room; ++i)
    record.set8(kTextAt + i, i < contents.size() ? static_cast<std::uint8_t>(contents[i]) : 0);
  if (contents.size() > room)
    foundation::log_printf("dg_feld: Inhalt um %zu Bytes gekürzt", contents.size() - room);
  drop_field();
  session_.graphics_pending_answer = 0;
  send_reply();
}

bool GraphicsProgram::field_key(std::uint16_t code) {
  if (!field_) return false;
  if (code < kFunctionKeyBase)
    field_step(field_->editor.type(foundation::ansi_to_wide(static_cast<unsigned char>(code))));
  else
    field_step(field_->editor.key(code - kFunctionKeyBase));
  return true;
}

bool GraphicsProgram::field_click(int button_code, QPoint at, std::int32_t window) {
  if (!field_) return false;
  const graphics::FieldLook& look = field_->look;
  if (window == field_->window && button_code == 1 && look.rect.contains(at)) {
    // Inside the field the click places the cursor before the character under it, counted
    // from the first character shown.
    const QFontMetrics metrics(look.font);
    const QString shown = look.text.mid(look.first);
    const int x = at.x() - look.rect.left();
    int column = 0;
    while (column < shown.size() && metrics.horizontalAdvance(shown.left(column + 1)) <= x)
      ++column;
    field_step(field_->editor.click(look.first + column, 0, 1));
    return true;
  }
  field_step(field_->editor.click(-1, -1, button_code));
  return true;
}

}  // namespace kovw::session
