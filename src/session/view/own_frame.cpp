#include "session/view/own_frame.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainterPath>
#include <QRegion>
#include <QStyle>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

#include "session/view/program_icon.h"

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

const OwnTitleBar::ButtonLook OwnTitleBar::kMinimiseLook{kIconMinimise,
                                                         QStyle::SP_TitleBarMinButton, "_"};
const OwnTitleBar::ButtonLook OwnTitleBar::kMaximiseLook{kIconMaximise,
                                                         QStyle::SP_TitleBarMaxButton, "#"};
const OwnTitleBar::ButtonLook OwnTitleBar::kRestoreLook{kIconRestore,
                                                        QStyle::SP_TitleBarNormalButton, "#"};
const OwnTitleBar::ButtonLook OwnTitleBar::kCloseLook{kIconClose, QStyle::SP_TitleBarCloseButton,
                                                      "x"};

OwnTitleBar::OwnTitleBar(QWidget* window, const OwnFrameLook& look, bool encrypted)
    : QWidget(window),
      window_(window),
      icon_size_(std::max(1, look.icon_size)),
      encrypted_(encrypted),
      icons_(look.icons) {
  setObjectName(QStringLiteral("ownTitleBar"));
  setAccessibleName(QStringLiteral("Title bar"));
  setAutoFillBackground(true);
  QPalette colours = palette();
  if (look.caption.isValid()) {
    colours.setColor(QPalette::Window, look.caption);
    colours.setColor(QPalette::Button, look.caption);
  }
  if (look.caption_text.isValid()) {
    colours.setColor(QPalette::WindowText, look.caption_text);
    colours.setColor(QPalette::ButtonText, look.caption_text);
  }
  setPalette(colours);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(2);
  if (!look.embedded) {
    // The program icon: it tells whether the link is encrypted and opens the window menu.
    menu_ = new QToolButton(this);
    menu_->setObjectName(QStringLiteral("programIcon"));
    menu_->setIcon(program_icon(encrypted));
    menu_->setIconSize(QSize(icon_size_, icon_size_));
    menu_->setFixedSize(icon_size_ + 4, icon_size_ + 4);
    menu_->setAutoRaise(true);
    menu_->setFocusPolicy(Qt::NoFocus);
    menu_->setPopupMode(QToolButton::InstantPopup);
    menu_->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    menu_->setAccessibleName(QStringLiteral("Window menu"));
    menu_->setAccessibleDescription(encrypted ? QStringLiteral("Encrypted link")
                                              : QStringLiteral("Unencrypted link"));
    row->addWidget(menu_);
  }
  caption_ = new QLabel(window->windowTitle(), this);
  caption_->setTextFormat(Qt::PlainText);
  row->addWidget(caption_, 1);
  connect(window, &QWidget::windowTitleChanged, caption_, &QLabel::setText);
  tool_caption_ = new QLabel(this);
  tool_caption_->setTextFormat(Qt::PlainText);
  tool_caption_->setObjectName(QStringLiteral("toolCaption"));
  tool_caption_->hide();
  row->addWidget(tool_caption_);
  if (look.embedded) return;
  if (look.minimise) {
    minimise_ = window_button(kMinimiseLook);
    minimise_->setAccessibleName(QStringLiteral("Minimise"));
    row->addWidget(minimise_);
    connect(minimise_, &QToolButton::clicked, window, &QWidget::showMinimized);
  }
  if (look.maximise) {
    maximise_ = window_button(kMaximiseLook);
    maximise_->setAccessibleName(QStringLiteral("Maximise"));
    row->addWidget(maximise_);
    connect(maximise_, &QToolButton::clicked, window,
            [window] { window->isMaximized() ? window->showNormal() : window->showMaximized(); });
    show_maximise_state();
    window->installEventFilter(this);
  }
  close_ = window_button(kCloseLook);
  close_->setAccessibleName(QStringLiteral("Close"));
  row->addWidget(close_);
  connect(close_, &QToolButton::clicked, window, &QWidget::close);
}

QToolButton* OwnTitleBar::window_button(const ButtonLook& look) {
  auto* button = new QToolButton(this);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setIconSize(QSize(icon_size_, icon_size_));
  button->setFixedSize(icon_size_ + 4, icon_size_ + 4);
  show_window_icon(button, look);
  return button;
}

void OwnTitleBar::show_window_icon(QToolButton* button, const ButtonLook& look) {
  // The host's icon of that name first, then the style's, then a text.
  QIcon icon;
  if (const auto host = icons_.find(QString::fromLatin1(look.host_icon));
      host != icons_.end() && !host->second.isNull())
    icon = QIcon(QPixmap::fromImage(host->second));
  else
    icon =
        style()->standardIcon(static_cast<QStyle::StandardPixmap>(look.stock_icon), nullptr, this);
  button->setIcon(icon);
  button->setText(icon.isNull() ? QString::fromLatin1(look.text) : QString());
  button->setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
}

void OwnTitleBar::show_maximise_state() {
  if (!maximise_) return;
  show_window_icon(maximise_, window_->isMaximized() ? kRestoreLook : kMaximiseLook);
}

QToolButton* OwnTitleBar::add_drop_down(QMenu* menu) {
  auto* button = new QToolButton(this);
  QAction* action = menu->menuAction();
  button->setText(action->text());
  button->setEnabled(action->isEnabled());
  button->setMenu(menu);
  button->setPopupMode(QToolButton::InstantPopup);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setMinimumHeight(icon_size_ + 4);
  // In the caption's text colour, dimmed while disabled; no arrow beside the label.
  const QColor text = palette().color(QPalette::ButtonText);
  const QColor background = palette().color(QPalette::Window);
  const QColor dimmed = QColor::fromRgbF((text.redF() + background.redF()) / 2,
                                         (text.greenF() + background.greenF()) / 2,
                                         (text.blueF() + background.blueF()) / 2);
  button->setStyleSheet(QStringLiteral("QToolButton { color: %1; } QToolButton:disabled { color: "
                                       "%2; } QToolButton::menu-indicator { image: none; }")
                            .arg(text.name(), dimmed.name()));
  button->setAccessibleName(menu->accessibleName());
  // Host requests change the popup's action; its button follows.
  connect(action, &QAction::changed, button, [button, action] {
    button->setText(action->text());
    button->setEnabled(action->isEnabled());
  });
  auto* row = static_cast<QHBoxLayout*>(layout());
  row->insertWidget((menu_ ? 1 : 0) + static_cast<int>(drop_downs_.size()), button);
  drop_downs_.push_back(button);
  return button;
}

void OwnTitleBar::set_tool_caption(const QString& text) {
  tool_caption_->setText(text);
  tool_caption_->setVisible(!text.isEmpty());
}

void OwnTitleBar::set_icons(const std::map<QString, QImage>& icons) {
  for (const auto& [name, image] : icons) icons_[name] = image;
  if (minimise_) show_window_icon(minimise_, kMinimiseLook);
  show_maximise_state();
  if (close_) show_window_icon(close_, kCloseLook);
}

bool OwnTitleBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::WindowStateChange) show_maximise_state();
  return false;
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
