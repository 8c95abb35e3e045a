#include "dialogs/list_dialog_form.h"

#include <algorithm>
#include <cstring>

#include "foundation/host_text.h"
#include "protocol/little_endian.h"

namespace kovw::dialogs {

namespace {

constexpr std::size_t kTitleOffset = 16;
constexpr std::size_t kLabelSize = 128;
constexpr std::size_t kFieldLengthOffset = 128;
constexpr std::size_t kFieldPositionOffset = 130;
constexpr std::size_t kButtonCodeOffset = 128;

std::string_view text_at(const std::vector<std::uint8_t>& record, std::size_t from,
                         std::size_t end) {
  end = std::min(end, record.size());
  if (from >= end) return {};
  const auto* begin = reinterpret_cast<const char*>(record.data() + from);
  const void* zero = std::memchr(begin, 0, end - from);
  return {begin,
          zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : end - from};
}

}  // namespace

ListDialogForm list_dialog_form(const protocol::ListDialog& dialog, int text_flags) {
  ListDialogForm form;
  form.text_flags = text_flags;
  form.data = dialog.data;
  form.title = foundation::host_to_wide(
      text_at(dialog.header, kTitleOffset, protocol::kListDialogHeaderSize), text_flags);
  for (const auto& record : dialog.fields) {
    ListDialogField field;
    field.label = foundation::host_to_wide(text_at(record, 0, kLabelSize), text_flags);
    field.length = protocol::le16(record.data() + kFieldLengthOffset);
    field.position = protocol::le16(record.data() + kFieldPositionOffset);
    // A record that leaves the data block has no value (the parser refuses such dialogs).
    if (field.position + field.length <= form.data.size()) {
      std::string_view value = text_at(form.data, field.position, field.position + field.length);
      while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
      field.value = foundation::host_to_wide(value, text_flags);
    } else {
      field.length = 0;
    }
    form.fields.push_back(std::move(field));
  }
  for (const auto& record : dialog.buttons) {
    ListDialogButton button;
    button.label = foundation::host_to_wide(text_at(record, 0, kLabelSize), text_flags);
    button.code = static_cast<std::int16_t>(protocol::le16(record.data() + kButtonCodeOffset));
    form.buttons.push_back(std::move(button));
  }
  return form;
}

void write_field(ListDialogForm& form, std::size_t index, const std::u16string& text) {
  if (index >= form.fields.size()) return;
  ListDialogField& field = form.fields[index];
  if (field.length == 0 || field.position + field.length > form.data.size()) return;
  // Cut the text character by character until its host form fits.
  std::u16string cut = text;
  std::string host = foundation::wide_to_host(cut, form.text_flags);
  while (host.size() > field.length && !cut.empty()) {
    cut.pop_back();
    if (!cut.empty() && cut.back() >= 0xD800 && cut.back() <= 0xDBFF) cut.pop_back();
    host = foundation::wide_to_host(cut, form.text_flags);
  }
  if (host.size() > field.length) host.clear();
  host.resize(field.length, ' ');
  std::copy(host.begin(), host.end(),
            form.data.begin() + static_cast<std::ptrdiff_t>(field.position));
  field.value = cut;
}

}  // namespace kovw::dialogs
