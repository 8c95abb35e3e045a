#pragma once
// The small window of an interactive print job: the job's name and its printer, and a button
// that cancels the job. It lives on the GUI thread; the job's thread opens and closes it
// through a handle and reads the cancel flag.

#include <QString>
#include <QWidget>
#include <atomic>
#include <memory>

class QLabel;
class QPushButton;

namespace kovw::print {

class JobWindow : public QWidget {
  Q_OBJECT

 public:
  JobWindow(const QString& job, const QString& printer, std::shared_ptr<std::atomic<bool>> cancel);
  QPushButton* cancel_button() const { return cancel_button_; }

 private:
  std::shared_ptr<std::atomic<bool>> cancel_;
  QPushButton* cancel_button_;
};

// "KOVW Job <origin>@<peer>", and the printer with its driver in parentheses when that differs.
QString job_window_title(const QString& origin, const QString& peer);
QString job_window_printer(const QString& printer, const QString& driver);

class JobWindowHandle {
 public:
  // Opens the window on the GUI thread (returns at once).
  JobWindowHandle(const QString& title, const QString& printer,
                  std::shared_ptr<std::atomic<bool>> cancel);
  // Closes it.
  ~JobWindowHandle();
  JobWindowHandle(const JobWindowHandle&) = delete;
  JobWindowHandle& operator=(const JobWindowHandle&) = delete;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace kovw::print
