#include "dialogs/list_dialog_form.h"

#include <algorithm>
#include <cstring>

#include "foundation/host_text.h"
#include "protocol/little_endian.h"
#include "protocol/payload_codec.h"
#include "protocol/program/list_view_messages.h"

namespace kovw::dialogs {

namespace {

constexpr std::size_t kTitleOffset = 16;
constexpr std::size_t kLabelSize = 128;
constexpr std::size_t kFieldLengthOffset = protocol::kListFieldLengthOffset;
constexpr std::size_t kFieldPositionOffset = protocol::kListFieldPositionOffset;
constexpr std::size_t kButtonCodeOffset = protocol::kListButtonCodeOffset;

}  // namespace

ListDialogForm list_dialog_form(const protocol::ListDialog& dialog, int text_flags) {
  ListDialogForm form;
  form.text_flags = text_flags;
  form.data = dialog.data;
  form.title = foundation::host_to_wide(
      protocol::text_view(dialog.header, kTitleOffset, protocol::kListDialogHeaderSize),
      text_flags);
  for (const auto& record : dialog.fields) {
    ListDialogField field;
    field.label = foundation::host_to_wide(protocol::text_view(record, 0, kLabelSize), text_flags);
    field.length = protocol::le16(record.data() + kFieldLengthOffset);
    field.position = protocol::le16(record.data() + kFieldPositionOffset);
    // A record that leaves the data block has no value (the parser refuses such dialogs).
    if (field.position + field.length <= form.data.size()) {
      std::string_view value =
          protocol::text_view(form.data, field.position, field.position + field.length);
      while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
      field.value = foundation::host_to_wide(value, text_flags);
    } else {
      field.length = 0;
    }
    form.fields.push_back(std::move(field));
  }
  for (const auto& record : dialog.buttons) {
    ListDialogButton button;
    button.label = foundation::host_to_wide(protocol::text_view(record, 0, kLabelSize), text_flags);
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
