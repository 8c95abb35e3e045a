#include "print/job_output.h"

#include <QPageLayout>
#include <QPagedPaintDevice>

#include "print/job_window.h"
#include "print/print_report.h"

namespace kovw::print {

JobOutput::JobOutput(QString printer, QString origin, QString document, bool interactive,
                     const PrintEnvironment& env, const std::atomic<bool>& cancel)
    : printer_(std::move(printer)),
      origin_(std::move(origin)),
      document_(std::move(document)),
      interactive_(interactive),
      env_(env),
      cancel_(cancel) {}

JobOutput::~JobOutput() {
  finish();
}

bool JobOutput::open() {
  if (opened_.target) return true;
  if (failed_ || cancelled()) return false;
  opened_ = dp_access(printer_, origin_, document_, env_, &cancel_);
  if (!opened_.target) {
    failed_ = true;
    report_print_error({opened_.message, opened_.system_error, opened_.location,
                        print_message(opened_.message, opened_.name.toUtf8().constData())},
                       interactive_);
    return false;
  }
  return true;
}

void JobOutput::set_orientation(int orientation) {
  if (!open() || painter_.isActive()) return;
  opened_.target->device()->setPageOrientation(orientation == 2 ? QPageLayout::Landscape
                                                                : QPageLayout::Portrait);
}

bool JobOutput::set_paper(double width_mm, double height_mm) {
  if (!open() || painter_.isActive() || from_dialog()) return false;
  QPagedPaintDevice* device = opened_.target->device();
  const QPageLayout::Orientation orientation = device->pageLayout().orientation();
  const bool set = device->setPageSize(QPageSize(QSizeF(width_mm, height_mm), QPageSize::Millimeter,
                                                 QString(), QPageSize::FuzzyOrientationMatch));
  device->setPageOrientation(orientation);
  return set;
}

bool JobOutput::set_source(int n) {
  if (!open() || painter_.isActive() || from_dialog()) return false;
  const QList<int> sources = opened_.target->paper_sources();
  if (n < 1 || n > sources.size()) return false;
  return opened_.target->set_paper_source(sources[n - 1]);
}

bool JobOutput::from_dialog() const {
  return printer_.trimmed().compare(QLatin1String("dialog"), Qt::CaseInsensitive) == 0;
}

QSize JobOutput::printable_dots() const {
  if (!opened_.target) return {};
  return opened_.target->device()->pageLayout().paintRectPixels(resolution()).size();
}

QSizeF JobOutput::printable_mm() const {
  if (!opened_.target) return {};
  return opened_.target->device()->pageLayout().paintRect(QPageLayout::Millimeter).size();
}

int JobOutput::resolution() const {
  return opened_.target ? opened_.target->resolution() : 600;
}

QPainter* JobOutput::page() {
  if (cancelled() || failed_) return nullptr;
  if (!open()) return nullptr;
  if (!painter_.isActive()) {
    if (!painter_.begin(opened_.target->device())) {
      failed_ = true;
      return nullptr;
    }
    ++pages_;
    page_open_ = true;
  } else if (!page_open_) {
    if (!opened_.target->device()->newPage()) {
      failed_ = true;
      return nullptr;
    }
    ++pages_;
    page_open_ = true;
  }
  return &painter_;
}

void JobOutput::finish() {
  if (!opened_.target || finished_) return;
  finished_ = true;
  if (!painter_.isActive()) {
    opened_.target->finish(false);  // nothing was drawn: nothing is kept
    return;
  }
  const bool abort = cancelled() || failed_;
  if (abort) opened_.target->abort();
  painter_.end();
  if (!opened_.target->finish(!abort)) failed_ = true;
}

namespace {

// The cancel flag of a graphics job, a base of its own so that it is made before the output
// that refers to it.
struct OwnCancelFlag {
  std::shared_ptr<std::atomic<bool>> cancel = std::make_shared<std::atomic<bool>>(false);
};

// An interactive job shows its window, titled with the document and the printer, whose button
// cancels it, from the moment the printer is open until the job ends.
class GraphicsJob : private OwnCancelFlag, public JobOutput {
 public:
  GraphicsJob(const QString& printer, const QString& document, bool interactive,
              const PrintEnvironment& env)
      : JobOutput(printer, document, document, interactive, env, *cancel),
        document_(document),
        interactive_(interactive) {}
  ~GraphicsJob() override {
    finish();
    window_.reset();
  }

  bool open() override {
    if (!JobOutput::open()) return false;
    if (interactive_ && !window_) {
      const QString printer = job_window_printer(opened().name, opened().driver);
      window_ = std::make_unique<JobWindowHandle>(document_, printer, cancel);
    }
    return true;
  }

 private:
  QString document_;
  bool interactive_;
  std::unique_ptr<JobWindowHandle> window_;
};

}  // namespace

std::unique_ptr<session::PrintOutput> open_graphics_print_job(const std::string& printer,
                                                              const std::string& document,
                                                              bool interactive) {
  return open_graphics_print_job(printer, document, interactive, current_print_environment());
}

std::unique_ptr<session::PrintOutput> open_graphics_print_job(const std::string& printer,
                                                              const std::string& document,
                                                              bool interactive,
                                                              const PrintEnvironment& env) {
  return std::make_unique<GraphicsJob>(QString::fromStdString(printer),
                                       QString::fromStdString(document), interactive, env);
}

}  // namespace kovw::print
