#pragma once
// The progress window of a file transfer: the transfer's title, the file's name, the bytes
// done of the expected size, the rate and a Cancel button. The transfer runs on its own
// thread (a program thread) or in steps on the GUI thread (a fetch); it reports through a
// TransferProgress handle from any thread, and the window lives on the GUI thread, fed by
// posted events, at most a few per second. Cancel only sets the transfer's cancel flag: the
// transfer sees it at its next block and ends as failed.

#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

#include "shell/transfer_statistics.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kovw::shell {

class TransferProgressWindow : public QWidget {
  Q_OBJECT

 public:
  TransferProgressWindow(const QString& title, const QString& name, std::uint64_t total,
                         CancelFlag cancel);
  void set_done(std::uint64_t done, std::chrono::milliseconds elapsed);

  QString bytes_text() const;
  QString rate_text() const;
  QPushButton* cancel_button() const { return cancel_button_; }

 private:
  std::uint64_t total_;
  CancelFlag cancel_;
  QLabel* name_ = nullptr;
  QLabel* bytes_ = nullptr;
  QLabel* rate_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
};

// One transfer's handle on its window. The window opens only when the statistics expect the
// transfer to take a second or more; advance() and the destructor may run on any thread. The
// window closes when the handle goes (the transfer ended, or its program's link closed).
class TransferProgress {
 public:
  static std::unique_ptr<TransferProgress> open(TransferDirection direction, QString title,
                                                QString name, std::uint64_t total,
                                                CancelFlag cancel);
  ~TransferProgress();
  TransferProgress(const TransferProgress&) = delete;
  TransferProgress& operator=(const TransferProgress&) = delete;

  // The bytes done so far; posts an update when the last one is old enough.
  void advance(std::uint64_t done);
  bool shown() const { return window_ != nullptr; }

  // The windows open now (for tests and the info dialog).
  static int open_windows();

 private:
  struct Shared;
  TransferProgress() = default;
  std::shared_ptr<Shared> window_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_post_{};
};

}  // namespace kovw::shell
