#include "print/printer_defaults.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <mutex>
#include <optional>

#include "platform/registry.h"
#include "shell/settings_store.h"

namespace kovw::print {

namespace {

const QString kKey = QString::fromLatin1(kPrinterDefaultsKey);

std::mutex& defaults_mutex() {
  static std::mutex mutex;
  return mutex;
}

std::optional<PrinterDefaults>& cached() {
  static std::optional<PrinterDefaults> defaults;
  return defaults;
}

}  // namespace

PrinterDefaults load_printer_defaults(const platform::Registry& registry) {
  PrinterDefaults d;
  const auto text = registry.read_string(kKey, QStringLiteral("Printer"));
  d.printer = text ? QString::fromStdString(*text) : QString();
  d.page_size = registry.read_int(kKey, QStringLiteral("Page Size")).value_or(-1);
  d.orientation = registry.read_int(kKey, QStringLiteral("Orientation")).value_or(0);
  d.duplex = registry.read_int(kKey, QStringLiteral("Duplex")).value_or(0);
  d.source = registry.read_int(kKey, QStringLiteral("Source")).value_or(0);
  d.copies = std::max(1, registry.read_int(kKey, QStringLiteral("Copies")).value_or(1));
  return d;
}

bool save_printer_defaults(platform::Registry& registry, const PrinterDefaults& d) {
  platform::Registry::WriteGuard guard(registry);
  bool ok = registry.write_string(kKey, QStringLiteral("Printer"), d.printer.toStdString());
  ok = registry.write_int(kKey, QStringLiteral("Page Size"), d.page_size) && ok;
  ok = registry.write_int(kKey, QStringLiteral("Orientation"), d.orientation) && ok;
  ok = registry.write_int(kKey, QStringLiteral("Duplex"), d.duplex) && ok;
  ok = registry.write_int(kKey, QStringLiteral("Source"), d.source) && ok;
  ok = registry.write_int(kKey, QStringLiteral("Copies"), d.copies) && ok;
  return ok;
}

PrinterDefaults defaults_of(const QPrinter& printer) {
  PrinterDefaults d;
  d.printer = printer.printerName();
  const QPageLayout layout = printer.pageLayout();
  d.page_size = static_cast<int>(layout.pageSize().id());
  d.orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
  switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
      d.duplex = 2;
      break;
    case QPrinter::DuplexShortSide:
      d.duplex = 3;
      break;
    default:
      d.duplex = 1;
      break;
  }
  d.source = static_cast<int>(printer.paperSource()) + 1;
  d.copies = std::max(1, printer.copyCount());
  return d;
}

void apply_defaults(const PrinterDefaults& d, QPrinter& printer) {
  if (d.empty()) return;
  printer.setPrinterName(d.printer);
  if (d.page_size >= 0 && d.page_size < QPageSize::LastPageSize && d.page_size != QPageSize::Custom)
    printer.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(d.page_size)));
  if (d.orientation != 0)
    printer.setPageOrientation(d.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
  if (d.duplex != 0)
    printer.setDuplex(d.duplex == 2   ? QPrinter::DuplexLongSide
                      : d.duplex == 3 ? QPrinter::DuplexShortSide
                                      : QPrinter::DuplexNone);
  if (d.source > 0) printer.setPaperSource(static_cast<QPrinter::PaperSource>(d.source - 1));
  printer.setCopyCount(d.copies);
}

PrinterDefaults current_printer_defaults() {
  std::lock_guard lock(defaults_mutex());
  if (!cached()) cached() = load_printer_defaults(shell::settings_store().registry());
  return *cached();
}

void remember_printer_defaults(const PrinterDefaults& defaults) {
  {
    std::lock_guard lock(defaults_mutex());
    cached() = defaults;
  }
  save_printer_defaults(shell::settings_store().registry(), defaults);
}

}  // namespace kovw::print
