#include "print/print_dialog.h"

#include <QPointer>
#include <QPrintDialog>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/gui_call.h"
#include "print/printer_defaults.h"

namespace kovw::print {

namespace {

struct Exchange {
  std::mutex mutex;
  std::condition_variable answered;
  bool done = false;
  std::unique_ptr<QPrinter> printer;
  QPointer<QPrintDialog> dialog;
};

}  // namespace

PrintDialogAnswer ask_for_printer(const QString& document_name, int wait_ms,
                                  const std::atomic<bool>* cancel) {
  auto exchange = std::make_shared<Exchange>();
  platform::post_to_gui_thread([exchange, document_name] {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    apply_defaults(current_printer_defaults(), *printer);
    printer->setDocName(document_name);
    QPrinter* shown = printer.get();
    auto* dialog = new QPrintDialog(shown);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(document_name);
    {
      std::lock_guard lock(exchange->mutex);
      exchange->dialog = dialog;
    }
    QObject::connect(
        dialog, &QDialog::finished, dialog,
        [exchange, printer = std::shared_ptr<QPrinter>(std::move(printer))](int result) mutable {
          if (result == QDialog::Accepted) remember_printer_defaults(defaults_of(*printer));
          std::lock_guard lock(exchange->mutex);
          if (!exchange->done && result == QDialog::Accepted) {
            // The job thread takes the printer over.
            exchange->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            QPrinter& target = *exchange->printer;
            target.setPrinterName(printer->printerName());
            target.setOutputFormat(printer->outputFormat());
            target.setOutputFileName(printer->outputFileName());
            apply_defaults(defaults_of(*printer), target);
            target.setDocName(printer->docName());
          }
          exchange->done = true;
          exchange->answered.notify_all();
        });
    dialog->open();
  });
  PrintDialogAnswer answer;
  std::unique_lock lock(exchange->mutex);
  // In slices, so that a cancelled job stops waiting.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  bool answered = false;
  while (!(answered = exchange->answered.wait_for(lock, std::chrono::milliseconds(100),
                                                  [&] { return exchange->done; }))) {
    if (std::chrono::steady_clock::now() >= deadline) break;
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) break;
  }
  if (!answered) {
    exchange->done = true;
    answer.timed_out = cancel == nullptr || !cancel->load(std::memory_order_relaxed);
    platform::post_to_gui_thread([exchange] {
      if (exchange->dialog) exchange->dialog->reject();
    });
    return answer;
  }
  answer.printer = std::move(exchange->printer);
  return answer;
}

}  // namespace kovw::print
