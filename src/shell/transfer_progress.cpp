#include "shell/transfer_progress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/message_table.h"
#include "platform/gui_call.h"

namespace kovw::shell {

namespace {

constexpr std::chrono::milliseconds kUpdateEvery{150};
std::atomic<int> windows_open{0};

QString ui_text(const char* german, const char* english) {
  return QString::fromUtf8(foundation::german() ? german : english);
}

QString size_text(std::uint64_t bytes) {
  return QLocale().formattedDataSize(static_cast<qint64>(bytes));
}

}  // namespace

TransferProgressWindow::TransferProgressWindow(const QString& title, const QString& name,
                                               std::uint64_t total, CancelFlag cancel)
    : QWidget(nullptr, Qt::Dialog), total_(total), cancel_(std::move(cancel)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  name_ = new QLabel(name, this);
  bytes_ = new QLabel(this);
  rate_ = new QLabel(this);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, total_ > 0 ? 1000 : 0);
  layout->addWidget(name_);
  layout->addWidget(bar_);
  layout->addWidget(bytes_);
  layout->addWidget(rate_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  cancel_button_ = new QPushButton(ui_text("Abbrechen", "Cancel"), this);
  buttons->addWidget(cancel_button_);
  layout->addLayout(buttons);
  connect(cancel_button_, &QPushButton::clicked, this, [this] {
    if (cancel_) cancel_->store(true);
    cancel_button_->setEnabled(false);
  });
  ++windows_open;
  connect(this, &QObject::destroyed, [] { --windows_open; });
  set_done(0, std::chrono::milliseconds(0));
  resize(360, sizeHint().height());
}

void TransferProgressWindow::set_done(std::uint64_t done, std::chrono::milliseconds elapsed) {
  if (total_ > 0) {
    bar_->setValue(static_cast<int>(std::min<std::uint64_t>(done, total_) * 1000 / total_));
    bytes_->setText(ui_text("%1 von %2", "%1 of %2").arg(size_text(done), size_text(total_)));
  } else {
    bytes_->setText(size_text(done));
  }
  const double seconds = static_cast<double>(elapsed.count()) / 1000.0;
  rate_->setText(seconds > 0 ? size_text(static_cast<std::uint64_t>(done / seconds)) + "/s"
                             : QString());
}

QString TransferProgressWindow::bytes_text() const {
  return bytes_->text();
}

QString TransferProgressWindow::rate_text() const {
  return rate_->text();
}

// The window as the handle sees it: created and touched on the GUI thread only.
struct TransferProgress::Shared {
  QPointer<TransferProgressWindow> window;
};

std::unique_ptr<TransferProgress> TransferProgress::open(TransferDirection direction, QString title,
                                                         QString name, std::uint64_t total,
                                                         CancelFlag cancel) {
  std::unique_ptr<TransferProgress> progress(new TransferProgress);
  if (!progress_worth_showing(direction, total)) return progress;
  progress->window_ = std::make_shared<Shared>();
  platform::post_to_gui_thread([shared = progress->window_, title = std::move(title),
                                name = std::move(name), total, cancel = std::move(cancel)] {
    shared->window = new TransferProgressWindow(title, name, total, cancel);
    shared->window->show();
  });
  return progress;
}

TransferProgress::~TransferProgress() {
  if (!window_) return;
  platform::post_to_gui_thread([shared = window_] {
    if (shared->window) shared->window->close();
  });
}

void TransferProgress::advance(std::uint64_t done) {
  if (!window_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_post_ < kUpdateEvery) return;
  last_post_ = now;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - started_);
  platform::post_to_gui_thread([shared = window_, done, elapsed] {
    if (shared->window) shared->window->set_done(done, elapsed);
  });
}

int TransferProgress::open_windows() {
  return windows_open.load();
}

}  // namespace kovw::shell
