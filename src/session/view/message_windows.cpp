#include "session/view/message_windows.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "foundation/show_message.h"

namespace kovw::session {

namespace {

// The splash window's size without a splash picture.
constexpr int kSplashWidth = 320;
constexpr int kSplashHeight = 240;
constexpr int kMessageMinimumWidth = 300;

QLabel* add_text(QWidget& window, const QString& text) {
  auto* layout = new QVBoxLayout(&window);
  auto* label = new QLabel(text, &window);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignCenter);
  label->setTextFormat(Qt::PlainText);
  layout->addWidget(label);
  return label;
}

// Centres a new window over the program's window, or over the screen's work area while the
// program shows none.
void centre(QWidget& window, const QWidget* owner) {
  window.adjustSize();
  QRect area;
  if (owner != nullptr && owner->isVisible()) {
    area = owner->frameGeometry();
  } else if (const QScreen* screen =
                 owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

// A window with a raised edge of its own, so that it stands out even where no window manager
// draws a frame around it.
QWidget* framed_window(QWidget* owner, Qt::WindowFlags flags) {
  auto* window = new QFrame(owner, flags);
  window->setFrameStyle(QFrame::Panel | QFrame::Raised);
  window->setLineWidth(2);
  return window;
}

void close_later(QWidget* window) {
  if (window == nullptr) return;
  window->hide();
  window->deleteLater();
}

}  // namespace

MessageWindows::~MessageWindows() {
  delete message_.data();
  delete splash_.data();
}

void MessageWindows::handle(const to_view::MessageWindow& message, QWidget* owner) {
  switch (message.form) {
    case foundation::kMsgFormOpenWindow:
      open_message(message, owner);
      break;
    case foundation::kMsgFormReplaceText:
      if (message_text_) message_text_->setText(message.text);
      break;
    case foundation::kMsgFormSplash:
      open_splash(message, owner);
      break;
    case foundation::kMsgFormCloseWindows:
      close_all();
      break;
    default:
      break;
  }
}

void MessageWindows::close_all() {
  close_later(message_.data());
  close_later(splash_.data());
}

void MessageWindows::open_message(const to_view::MessageWindow& message, QWidget* owner) {
  // One message window per program: a new text replaces the old window's.
  if (!message_) {
    message_ = framed_window(owner, Qt::Tool);
    message_->setObjectName("MessageWindow");
    message_->setMinimumWidth(kMessageMinimumWidth);
    message_text_ = add_text(*message_, message.text);
    centre(*message_, owner);
  } else {
    message_text_->setText(message.text);
  }
  message_->setWindowTitle(message.caption);
  message_->show();
  message_->raise();
  if (message.close_after_ms > 0) {
    QPointer<QWidget> window = message_;
    QTimer::singleShot(message.close_after_ms, window, [window] { close_later(window); });
  }
}

void MessageWindows::open_splash(const to_view::MessageWindow& message, QWidget* owner) {
  close_later(splash_.data());
  splash_ = framed_window(owner, Qt::Tool | Qt::FramelessWindowHint);
  splash_->setObjectName("SplashWindow");
  splash_->setFixedSize(kSplashWidth, kSplashHeight);
  add_text(*splash_, message.text);
  // The splash window stands in the middle of the work area.
  const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QRect area = screen->availableGeometry();
    splash_->move(area.center() - QPoint(kSplashWidth / 2, kSplashHeight / 2));
  }
  splash_->show();
  splash_->raise();
}

}  // namespace kovw::session
