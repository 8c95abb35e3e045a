#include "print/job_window.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <mutex>

#include "platform/gui_call.h"
#include "shell/ui_text.h"

namespace kovw::print {

JobWindow::JobWindow(const QString& job, const QString& printer,
                     std::shared_ptr<std::atomic<bool>> cancel)
    : QWidget(nullptr, Qt::Dialog), cancel_(std::move(cancel)) {
  setWindowTitle(job);
  setAccessibleName(job);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel(job, this);
  auto* device = new QLabel(printer, this);
  device->setObjectName(QStringLiteral("printer"));
  cancel_button_ = new QPushButton(shell::ui_text("&Abbrechen", "&Cancel"), this);
  layout->addWidget(name);
  layout->addWidget(device);
  layout->addWidget(cancel_button_);
  connect(cancel_button_, &QPushButton::clicked, this, [this] {
    cancel_->store(true);
    cancel_button_->setEnabled(false);
  });
}

QString job_window_title(const QString& origin, const QString& peer) {
  return QStringLiteral("KOVW Job %1@%2").arg(origin, peer);
}

QString job_window_printer(const QString& printer, const QString& driver) {
  if (driver.isEmpty() || driver == printer) return printer;
  return QStringLiteral("%1 (%2)").arg(printer, driver);
}

struct JobWindowHandle::Shared {
  std::mutex mutex;
  bool closed = false;
  QPointer<JobWindow> window;
};

JobWindowHandle::JobWindowHandle(const QString& title, const QString& printer,
                                 std::shared_ptr<std::atomic<bool>> cancel)
    : shared_(std::make_shared<Shared>()) {
  platform::post_to_gui_thread([shared = shared_, title, printer, cancel] {
    std::lock_guard lock(shared->mutex);
    if (shared->closed) return;
    shared->window = new JobWindow(title, printer, cancel);
    shared->window->show();
  });
}

JobWindowHandle::~JobWindowHandle() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->closed = true;
  }
  platform::post_to_gui_thread([shared = shared_] {
    if (shared->window) shared->window->close();
  });
}

}  // namespace kovw::print
