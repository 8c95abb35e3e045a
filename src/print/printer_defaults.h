#pragma once
// The selection of the last print dialog, so that the next dialog opens with it: printer, page
// size, orientation, duplex, paper source and copies. Kept in the settings store (key
// "Printer Defaults") and in memory, shared by all print jobs under a lock.

#include <QString>

class QPrinter;

namespace kovw::platform {
class Registry;
}

namespace kovw::print {

inline constexpr const char* kPrinterDefaultsKey = "Printer Defaults";

struct PrinterDefaults {
  QString printer;      // empty: nothing stored
  int page_size = -1;   // QPageSize::PageSizeId, -1 none
  int orientation = 0;  // 0 none, 1 portrait, 2 landscape
  int duplex = 0;       // 0 none, 1 simplex, 2 long edge, 3 short edge
  int source = 0;       // 0 none, else the paper source number (1 upper ... 7 automatic)
  int copies = 1;

  bool empty() const { return printer.isEmpty(); }
  bool operator==(const PrinterDefaults&) const = default;
};

PrinterDefaults load_printer_defaults(const platform::Registry& registry);
bool save_printer_defaults(platform::Registry& registry, const PrinterDefaults& defaults);

// What `printer` is set to, and setting a printer to the stored values (those it supports).
PrinterDefaults defaults_of(const QPrinter& printer);
void apply_defaults(const PrinterDefaults& defaults, QPrinter& printer);

// The in-memory copy: loaded from the settings store on first use.
PrinterDefaults current_printer_defaults();
// Replaces it and writes it to the settings store.
void remember_printer_defaults(const PrinterDefaults& defaults);

}  // namespace kovw::print
