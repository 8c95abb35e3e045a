// Icon view definitions of arbitrary bytes: the first byte chooses the tree (0), the list (1) or
// the list dialog (2) and the host library version; the rest is the definition. A definition
// is taken whole or refused; a taken tree hangs every folder below an earlier one, one level
// deeper; a list's entries have their texts; a dialog's fields write inside its data block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "dialogs/icon_view_model.h"
#include "dialogs/list_dialog_form.h"
#include "protocol/program/list_view_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::dialogs;
  if (size < 1) return 0;
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);
  const int text_flags = (data[0] & 0x10) ? 0x08 : 0;
  switch (data[0] % 3) {
    case 0: {
      const auto tree = parse_tree_definition(bytes, text_flags);
      if (!tree) return 0;
      for (std::size_t i = 0; i < tree->folders.size(); ++i) {
        const TreeFolder& folder = tree->folders[i];
        if (folder.parent >= static_cast<int>(i)) std::abort();
        const int parent_level =
            folder.parent < 0 ? -1 : tree->folders[static_cast<std::size_t>(folder.parent)].level;
        if (folder.level != parent_level + 1) std::abort();
      }
      return 0;
    }
    case 1: {
      const int version = (data[0] & 0x20) ? 0x070305 : 0x041A16;
      const auto list = parse_list_definition(bytes, version, text_flags);
      if (!list) return 0;
      if (list->widths.size() > kMaxColumns) std::abort();
      for (const ListEntry& entry : list->entries)
        if (entry.texts.size() < 2 || entry.texts.size() < list->column_titles.size()) std::abort();
      for (const int width : column_widths(list->widths, 400, 16))
        if (width < 0) std::abort();
      for (const ListEntry& entry : list->entries)
        if (const auto name = icon_host_name(entry.icon_name);
            name && name->find_first_of("\\:", 13) != std::string::npos)
          std::abort();
      return 0;
    }
    default: {
      const auto dialog = kovw::protocol::parse_ldialog(bytes);
      if (!dialog) return 0;
      ListDialogForm form = list_dialog_form(*dialog, text_flags);
      const std::size_t before = form.data.size();
      for (std::size_t i = 0; i < form.fields.size(); ++i)
        write_field(form, i, u"\u00e4nderung \U0001F600 " + form.fields[i].value);
      if (form.data.size() != before) std::abort();
      return 0;
    }
  }
}
