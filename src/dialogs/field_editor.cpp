#include "dialogs/field_editor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "dialogs/field_values.h"
#include "foundation/host_text.h"
#include "foundation/log.h"
#include "net/stored_cipher.h"

namespace kovw::dialogs {

namespace {

bool all_blank(std::u16string_view text) {
  return text.find_first_not_of(u' ') == std::u16string_view::npos;
}

bool word_character(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
         c == u'_' || c == u' ' || (c >= 0xC0 && c != 0xD7 && c != 0xF7 && c <= 0x17F);
}

char16_t capital(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
  return c;
}

}  // namespace

FieldEditor::FieldEditor(const FieldRequest& request, std::u16string contents, int smart_edit,
                         const DateStyle& style)
    : request_(request),
      flags_(control_flags(request)),
      classes_(field_classes(request.type_letter)),
      style_(style) {
  text_ = std::move(contents);
  text_.resize(static_cast<std::size_t>(capacity()), u' ');
  // A date or time from the host shows in the user's form, which has the same width; one that
  // does not read as a date or time shows as it came.
  if (!all_blank(text_) && (request.type_letter == 'D' || request.type_letter == 'T')) {
    const auto shown = request.type_letter == 'D' ? display_date(text_, capacity(), style_)
                                                  : display_time(text_, capacity(), style_);
    if (shown && static_cast<int>(shown->size()) <= capacity()) {
      text_ = *shown;
      text_.resize(static_cast<std::size_t>(capacity()), u' ');
    }
  }
  cursor_ = std::clamp<int>(request.cursor, 0, capacity());
  const bool text_field = (classes_ & kClassText) != 0;
  if ((!text_field && (smart_edit & kSmartEditNumeric)) ||
      (text_field && (smart_edit & kSmartEditText)))
    state_ |= kStateClearOnType;
  if (request.hidden == 4) {
    state_ |= kStateClearOnType | kStatePresetUntouched;
    if (!all_blank(text_)) flags_ |= kFieldPresetShown;
  }
}

int FieldEditor::capacity() const {
  return calculating() ? kMaxCalculationLength : request_.capacity();
}

std::u16string FieldEditor::shown_text() const {
  if ((flags_ & kFieldHidden) == 0) return text_;
  if (flags_ & kFieldPresetShown) return std::u16string(text_.size(), u'*');
  std::u16string shown(text_.size(), u' ');
  for (int i = 0; i < cursor_ && i < static_cast<int>(shown.size()); ++i) shown[i] = u'*';
  return shown;
}

void FieldEditor::store(char16_t character) {
  if (static_cast<int>(text_.size()) < capacity()) text_.resize(capacity(), u' ');
  if (insert_mode()) {
    text_.insert(text_.begin() + cursor_, character);
    text_.resize(capacity());  // the last character drops off
  } else {
    text_[cursor_] = character;
  }
  ++cursor_;
}

FieldStep FieldEditor::type(char16_t character, int repeat) {
  FieldStep step;
  if (character == 128) character = 0x20AC;  // the euro sign of the host's code page
  if (character < 0x20) return step;
  if (cursor_ == 0 && (state_ & kStateClearOnType)) std::fill(text_.begin(), text_.end(), u' ');
  state_ &= ~(kStateClearOnType | kStatePresetUntouched);
  flags_ &= ~kFieldPresetShown;
  // "=" first in a numeric field starts a calculation, which may grow beyond the field.
  if ((flags_ & kFieldCalculations) && !calculating() && cursor_ == 0 && character == u'=')
    state_ |= kStateCalculating;
  if (flags_ & kFieldWordCharacters) {
    if (!word_character(character)) return {false, 0, true, false};
  }
  if (flags_ & kFieldCapitals) character = capital(character);
  for (int i = 0; i < std::max(repeat, 1); ++i) {
    if (cursor_ >= capacity()) return {false, 0, true, false};
    store(character);
    state_ |= kStateChanged;
    if (cursor_ >= capacity() && (flags_ & kFieldLeaveWhenFull) && !calculating())
      return leave(kExitFull);
  }
  return step;
}

FieldStep FieldEditor::key(int host_key) {
  switch (host_key) {
    case kKeyFieldLeft:
      if (cursor_ == 0) return leave(kExitLeft);
      --cursor_;
      return {};
    case kKeyFieldRight:
      if (cursor_ >= capacity() - 1) return leave(kExitRight);
      ++cursor_;
      return {};
    case kKeyFieldBackspace:
      if (cursor_ > 0) --cursor_;
      [[fallthrough]];
    case kKeyFieldDelete:
      if (cursor_ < static_cast<int>(text_.size())) {
        text_.erase(text_.begin() + cursor_);
        text_.push_back(u' ');
      }
      state_ |= kStateChanged;
      state_ &= ~(kStateClearOnType | kStatePresetUntouched);
      flags_ &= ~kFieldPresetShown;
      return {};
    case kKeyFieldInsert:
      flags_ ^= kFieldInsert;
      return {};
    case kKeyFieldHardcopy:
      return {false, 0, false, true};
    case kKeyFieldClearRest:
      std::fill(text_.begin() + std::min<int>(cursor_, static_cast<int>(text_.size())), text_.end(),
                u' ');
      state_ &= ~kStatePresetUntouched;
      return leave(kKeyFieldClearRest);
    case kKeyFieldChanged:
      state_ |= kStateChanged;
      return leave(kKeyFieldChanged);
    default:
      return leave(host_key);
  }
}

FieldStep FieldEditor::click(int column, int row, int kind) {
  const int first = request_.full_width ? 0 : request_.column;
  if (kind == 1 && row == request_.row && column >= first &&
      column < first + request_.shown_width()) {
    cursor_ = std::min(column - first, capacity());
    return {};
  }
  mouse_column_ = column;
  mouse_row_ = row;
  mouse_info_ = 3;
  return leave(kExitClick);
}

FieldStep FieldEditor::leave(int exit_key) {
  if (calculating()) {
    // The calculation replaces the text; an error keeps the user in the field.
    const std::u16string_view typed(text_);
    const std::size_t end = typed.find_last_not_of(u' ');
    const auto result = evaluate_calculation(
        end == std::u16string_view::npos ? std::u16string_view() : typed.substr(1, end), classes_,
        request_.capacity(), style_);
    if (!result) return {false, 0, true, false};
    state_ &= ~kStateCalculating;
    text_ = *result;
    text_.resize(static_cast<std::size_t>(request_.capacity()), u' ');
    cursor_ = std::min(cursor_, request_.capacity());
  }
  return {true, exit_key, false, false};
}

std::string FieldEditor::reply_contents(int text_flags, int* length) const {
  int reported = request_.capacity();
  std::u16string value = text_.substr(0, static_cast<std::size_t>(request_.capacity()));
  if (!all_blank(value)) {
    std::optional<std::u16string> normal;
    if (request_.type_letter == 'D') normal = normalise_date(value, reported, style_);
    if (request_.type_letter == 'T') normal = normalise_time(value, reported);
    if (normal && !normal->empty() && static_cast<int>(normal->size()) <= kMaxFieldLength) {
      value = *normal;
      reported = static_cast<int>(value.size());
    }
  }
  const int flags = (flags_ & kFieldUtf8) ? foundation::kTextUtf8
                    : (text_flags & (foundation::kTextUtf8 | foundation::kTextMarker)) != 0
                        ? foundation::kTextUtf8
                        : 0;
  std::vector<char> bytes(static_cast<std::size_t>(reported) + 1, ' ');
  foundation::wide_to_host(value, std::span<char>(bytes.data(), bytes.size()),
                           flags | foundation::kTextPad | foundation::kTextTerminate);
  std::string contents(bytes.data(), static_cast<std::size_t>(reported));
  if ((flags_ & kFieldHiddenPreset) && !(state_ & kStatePresetUntouched) &&
      !all_blank(std::u16string_view(value))) {
    if (reported % 8 != 0) {
      // The cipher works on blocks of 8: a password that cannot be enciphered never goes out
      // in the clear.
      foundation::log_printf("DIAC: verdecktes Feld der Länge %d nicht verschlüsselbar", reported);
      contents.assign(static_cast<std::size_t>(reported), '\0');
    } else {
      while (!contents.empty() && contents.back() == ' ') contents.pop_back();
      contents.resize(static_cast<std::size_t>(reported), '\0');
      net::stored_encipher(reinterpret_cast<std::uint8_t*>(contents.data()), nullptr,
                           contents.size());
    }
  }
  if (length) *length = reported;
  return contents;
}

}  // namespace kovw::dialogs
