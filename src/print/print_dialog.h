#pragma once
// The print dialog for a job whose printer is "dialog": shown on the GUI thread, first filled
// from the printer defaults, while the job's thread waits for the answer (with a time-out;
// the dialog is closed when it runs out). The GUI thread does not wait.

#include <QPrinter>
#include <atomic>
#include <memory>

namespace kovw::print {

struct PrintDialogAnswer {
  std::unique_ptr<QPrinter> printer;  // null: cancelled, timed out or not shown
  bool timed_out = false;
};

// Called on a job thread. The dialog is closed when `wait_ms` runs out or `cancel` is set.
PrintDialogAnswer ask_for_printer(const QString& document_name, int wait_ms,
                                  const std::atomic<bool>* cancel = nullptr);

}  // namespace kovw::print
