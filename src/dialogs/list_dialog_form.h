#pragma once
// The list dialog of an icon view (KWK_LDIALOG): a title, one edit field per field record preset
// from its place in the data block, and one button per button record. The user's texts go back
// into the data block, which the answer (KWK_LANTWDIA) carries whole. Plain C++.

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/program/list_view_messages.h"

namespace kovw::dialogs {

inline constexpr int kListDialogButtonIdBase = 1600;

struct ListDialogField {
  std::u16string label;
  std::size_t length = 0;    // bytes of the value in the data block
  std::size_t position = 0;  // where the value starts in the data block
  std::u16string value;      // as preset: the bytes up to a zero, trailing blanks removed
};

struct ListDialogButton {
  std::u16string label;
  int code = 0;
};

struct ListDialogForm {
  std::u16string title;
  std::vector<ListDialogField> fields;
  std::vector<ListDialogButton> buttons;
  std::vector<std::uint8_t> data;
  int text_flags = 0;  // how the texts convert (foundation::host_to_wide)
};

// The form of a parsed dialog (parse_ldialog has checked every field against the data block).
ListDialogForm list_dialog_form(const protocol::ListDialog& dialog, int text_flags);

// Puts `text` into the field's place of `form.data`: as host text, cut at a whole character to
// the field's length and padded with blanks. Nothing outside the field's bytes changes.
void write_field(ListDialogForm& form, std::size_t field, const std::u16string& text);

}  // namespace kovw::dialogs
