#include "session/view/own_frame.h"

#include <QBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainterPath>
#include <QRegion>
#include <QStyle>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

namespace kovw::session {

bool in_size_grip(QPoint position, QSize size) {
  return position.x() >= size.width() - kOwnFrameGrip &&
         position.y() >= size.height() - kOwnFrameGrip && position.x() < size.width() &&
         position.y() < size.height();
}

QSize own_frame_size(QSize wanted) {
  return QSize(std::max(wanted.width(), kOwnFrameMinimum),
               std::max(wanted.height(), kOwnFrameMinimum));
}

namespace {

QToolButton* title_button(QWidget* parent, QStyle::StandardPixmap icon, const QString& fallback) {
  auto* button = new QToolButton(parent);
  const QIcon shown = parent->style()->standardIcon(icon, nullptr, parent);
  if (shown.isNull())
    button->setText(fallback);
  else
    button->setIcon(shown);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

OwnTitleBar::OwnTitleBar(QWidget* window, const OwnFrameLook& look) : QWidget(window) {
  setObjectName(QStringLiteral("ownTitleBar"));
  setAutoFillBackground(true);
  QPalette colours = palette();
  if (look.caption.isValid()) colours.setColor(QPalette::Window, look.caption);
  if (look.caption_text.isValid()) {
    colours.setColor(QPalette::WindowText, look.caption_text);
    colours.setColor(QPalette::ButtonText, look.caption_text);
  }
  setPalette(colours);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(2);
  if (!look.embedded) {
    menu_ = title_button(this, QStyle::SP_TitleBarMenuButton, QStringLiteral("="));
    menu_->setPopupMode(QToolButton::InstantPopup);
    row->addWidget(menu_);
  }
  caption_ = new QLabel(window->windowTitle(), this);
  caption_->setTextFormat(Qt::PlainText);
  row->addWidget(caption_, 1);
  connect(window, &QWidget::windowTitleChanged, caption_, &QLabel::setText);
  if (look.embedded) return;
  minimise_ = title_button(this, QStyle::SP_TitleBarMinButton, QStringLiteral("_"));
  maximise_ = title_button(this, QStyle::SP_TitleBarMaxButton, QStringLiteral("#"));
  close_ = title_button(this, QStyle::SP_TitleBarCloseButton, QStringLiteral("x"));
  row->addWidget(minimise_);
  row->addWidget(maximise_);
  row->addWidget(close_);
  connect(minimise_, &QToolButton::clicked, window, &QWidget::showMinimized);
  connect(maximise_, &QToolButton::clicked, window,
          [window] { window->isMaximized() ? window->showNormal() : window->showMaximized(); });
  connect(close_, &QToolButton::clicked, window, &QWidget::close);
}

OwnFrameMouse::OwnFrameMouse(QWidget* window, bool embedded)
    : QObject(window), window_(window), embedded_(embedded) {
  window->installEventFilter(this);
}

bool OwnFrameMouse::begin(QPoint local, QPoint global) {
  if (!window_ || embedded_ || window_->isMaximized()) return false;
  const bool size = in_size_grip(local, window_->size());
  // The window system does it best (snapping, Wayland's rules); it may refuse.
  if (QWindow* handle = window_->windowHandle()) {
    const bool started = size ? handle->startSystemResize(Qt::BottomEdge | Qt::RightEdge)
                              : handle->startSystemMove();
    if (started) return true;
  }
  drag_ = size ? Drag::Size : Drag::Move;
  start_global_ = global;
  start_geometry_ = QRect(window_->pos(), window_->size());  // move() places the frame
  return true;
}

void OwnFrameMouse::drag(QPoint global) {
  if (!window_ || drag_ == Drag::None) return;
  const QPoint delta = global - start_global_;
  if (drag_ == Drag::Move) {
    window_->move(start_geometry_.topLeft() + delta);
    return;
  }
  const QSize wanted = own_frame_size(start_geometry_.size() + QSize(delta.x(), delta.y()));
  window_->resize(wanted.expandedTo(window_->minimumSize()));
}

void OwnFrameMouse::end() {
  drag_ = Drag::None;
}

void OwnFrameMouse::update_mask() {
  if (!window_) return;
  if (embedded_ || window_->isMaximized()) {
    window_->clearMask();
    return;
  }
  QPainterPath path;
  path.addRoundedRect(QRectF(window_->rect()), kOwnFrameCornerRadius, kOwnFrameCornerRadius);
  window_->setMask(QRegion(path.toFillPolygon().toPolygon()));
}

bool OwnFrameMouse::eventFilter(QObject* watched, QEvent* event) {
  if (watched != window_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      return begin(mouse->position().toPoint(), mouse->globalPosition().toPoint());
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (drag_ != Drag::None) {
        drag(mouse->globalPosition().toPoint());
        return true;
      }
      if (!embedded_)
        window_->setCursor(in_size_grip(mouse->position().toPoint(), window_->size())
                               ? Qt::SizeFDiagCursor
                               : Qt::ArrowCursor);
      return false;
    }
    case QEvent::MouseButtonRelease:
      if (drag_ == Drag::None) return false;
      end();
      return true;
    case QEvent::Resize:
    case QEvent::WindowStateChange:
      update_mask();
      return false;
    default:
      return false;
  }
}

}  // namespace kovw::session
