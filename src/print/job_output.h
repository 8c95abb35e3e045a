#pragma once
// The printer a job draws on page by page: opened through the printer access on first use (or
// when asked), its document started with the first page, a new page after each ended one, and
// the document kept or thrown away at the end. Direct print links and the graphics print jobs
// of program windows draw through it.

#include <QPainter>
#include <QString>
#include <atomic>
#include <memory>

#include "print/print_access.h"
#include "print/print_environment.h"
#include "session/program/print_output.h"

namespace kovw::print {

class JobOutput : public session::PrintOutput {
 public:
  // `printer` as the host named it; `origin` and `document` name the job; failures are shown
  // to the user when `interactive`. `cancel` ends the job (it must outlive the output).
  JobOutput(QString printer, QString origin, QString document, bool interactive,
            const PrintEnvironment& env, const std::atomic<bool>& cancel);
  ~JobOutput() override;

  bool open() override;
  void set_orientation(int orientation) override;
  // Neither changes a printer the user chose in the print dialog, whose settings hold.
  bool set_paper(double width_mm, double height_mm) override;
  bool set_source(int n) override;
  QSize printable_dots() const override;
  QSizeF printable_mm() const override;
  QPainter* page() override;
  void end_page() override { page_open_ = false; }
  int resolution() const override;
  bool cancelled() const override { return cancel_.load(std::memory_order_relaxed); }

  // Ends the document: kept when it drew and nothing failed, else thrown away.
  void finish();
  bool failed() const { return failed_; }
  const OpenedPrinter& opened() const { return opened_; }
  int pages() const { return pages_; }

 private:
  bool from_dialog() const;

  QString printer_;
  QString origin_;
  QString document_;
  bool interactive_;
  PrintEnvironment env_;
  const std::atomic<bool>& cancel_;
  OpenedPrinter opened_;
  QPainter painter_;
  bool page_open_ = false;
  bool failed_ = false;
  bool finished_ = false;
  int pages_ = 0;
};

// A graphics print job of a program window: the printer `printer` ("standard", "dialog",
// "PDF" or a name in the printer list) with its own cancel flag, for the session's print job
// hook.
std::unique_ptr<session::PrintOutput> open_graphics_print_job(const std::string& printer,
                                                              const std::string& document,
                                                              bool interactive);
// The same in a given print environment.
std::unique_ptr<session::PrintOutput> open_graphics_print_job(const std::string& printer,
                                                              const std::string& document,
                                                              bool interactive,
                                                              const PrintEnvironment& env);

}  // namespace kovw::print
