#include "session/view/frame_widgets.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "foundation/message_table.h"
#include "platform/accessible_label.h"
#include "session/program/menu_items.h"
#include "session/program/window_hardcopy_request.h"
#include "session/view/program_icon.h"
#include "session/view/text_input.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

// Marks the line edits of the toolbar's controls for the event filter.
constexpr char kControlProperty[] = "kovwToolbarControl";

constexpr int kButtonGap = 2;

// Grid cells of the bars around the content window (row, column, row span, column span).
struct Cell {
  int row, column, rows, columns;
};
constexpr std::array<Cell, 4> kBarCells{{
    {0, 0, 1, 3},  // top
    {1, 2, 1, 1},  // right
    {2, 0, 1, 3},  // bottom
    {1, 0, 1, 1},  // left
}};
constexpr int kStatusRow = 3;

bool pressed(int state) {
  return (static_cast<std::uint32_t>(state) & kItemPressed) != 0;
}
bool disabled(int state) {
  return (static_cast<std::uint32_t>(state) & kItemDisabled) != 0;
}

void show_state(QPushButton& button, int state) {
  button.setEnabled(!disabled(state));
  button.setCheckable(pressed(state));
  button.setChecked(pressed(state));
}

void show_state(QAction& action, int state) {
  action.setEnabled(!disabled(state));
  action.setCheckable(pressed(state));
  action.setChecked(pressed(state));
}

}  // namespace

FrameWidgets::FrameWidgets(ChannelPtr to_program, QWidget* window, QGridLayout* layout)
    : QObject(window), to_program_(std::move(to_program)), window_(window), layout_(layout) {
  window->installEventFilter(this);
}

void FrameWidgets::clear() {
  for (auto& bar : bars_) delete bar.data();
  delete toolbar_.data();
  delete top_area_.data();
  controls_.clear();
  layout_->setMenuBar(nullptr);
  delete menu_bar_.data();
  delete title_bar_.data();
  popups_.clear();
  icon_actions_.clear();
  delete status_.data();
  delete context_.data();
  buttons_.clear();
  actions_.clear();
  for (auto& shortcut : shortcuts_) delete shortcut.data();
  shortcuts_.clear();
}

namespace {

// Gives a menu (and the popups under it) the background and text colours of a model brush.
void colour_menu(QMenu& menu, const QColor& background, const QColor& text) {
  if (!background.isValid() || !text.isValid()) return;
  QPalette palette = menu.palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::Base, background);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::ButtonText, text);
  menu.setPalette(palette);
  for (QAction* action : menu.actions())
    if (action->menu()) colour_menu(*action->menu(), background, text);
}

}  // namespace

void FrameWidgets::set_menu_colours(QColor menu, QColor menu_text, QColor context,
                                    QColor context_text) {
  menu_ = menu;
  menu_text_ = menu_text;
  context_colour_ = context;
  context_text_ = context_text;
  for (const auto& popup : popups_)
    if (popup) colour_menu(*popup, menu_, menu_text_);
  if (context_) colour_menu(*context_, context_colour_, context_text_);
}

void FrameWidgets::build(const FrameDescription& frame) {
  clear();
  if (!frame.toolbar.empty()) toolbar_ = make_toolbar(frame.toolbar);
  for (std::size_t bar = 0; bar < bars_.size(); ++bar) {
    if (frame.bars[bar].empty()) continue;
    bars_[bar] = make_bar(static_cast<int>(bar), frame.bars[bar]);
    bars_[bar]->setEnabled(bars_enabled_);
    const Cell cell = kBarCells[bar];
    if (static_cast<int>(bar) == kBarTop && toolbar_) {
      // The toolbar lies above the top key bar, both in the top row.
      top_area_ = new QWidget(window_);
      auto* column = new QVBoxLayout(top_area_);
      column->setContentsMargins(0, 0, 0, 0);
      column->setSpacing(0);
      column->addWidget(toolbar_);
      column->addWidget(bars_[bar]);
      layout_->addWidget(top_area_, cell.row, cell.column, cell.rows, cell.columns);
      continue;
    }
    layout_->addWidget(bars_[bar], cell.row, cell.column, cell.rows, cell.columns);
  }
  if (toolbar_ && !top_area_) {
    const Cell cell = kBarCells[kBarTop];
    layout_->addWidget(toolbar_, cell.row, cell.column, cell.rows, cell.columns);
  }
  window_->setWindowIcon(program_icon(frame.encrypted));
  if (!frame.own.on && !frame.menus.empty()) {
    menu_bar_ = new QMenuBar(window_);
    layout_->setMenuBar(menu_bar_);
  }
  apply_own_frame(frame.own, frame.encrypted);
  add_popups(frame.menus);
  add_keys(frame);
  status_text_ = frame.status_text;
  if (frame.status_bar) {
    status_ = new QStatusBar(window_);
    status_->setSizeGripEnabled(false);
    status_->showMessage(status_text_);
    layout_->addWidget(status_, kStatusRow, 0, 1, 3);
  }
}

void FrameWidgets::add_keys(const FrameDescription& frame) {
  for (const FrameAccelerator& accelerator : frame.accelerators) {
    const QKeySequence sequence = key_sequence_of(accelerator.key);
    if (sequence.isEmpty()) continue;
    auto* shortcut = new QShortcut(sequence, window_);
    const int id = accelerator.id;
    QObject::connect(shortcut, &QShortcut::activated, this, [this, id] { choose(id); });
    shortcuts_.emplace_back(shortcut);
  }
  if (frame.control_focus_key) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), window_);
    QObject::connect(shortcut, &QShortcut::activated, this, [this] { focus_first_control(); });
    shortcuts_.emplace_back(shortcut);
  }
}

void FrameWidgets::focus_first_control() {
  QLineEdit* edit = first_edit();
  if (edit == nullptr || !controls_.front().second->isEnabled()) return;
  // From the control the key goes back, as Tab does.
  if (edit->hasFocus()) return leave_control();
  controls_.front().second->setFocus(Qt::ShortcutFocusReason);
  edit->selectAll();
}

void FrameWidgets::leave_control() {
  if (control_tab_)
    control_tab_();
  else if (QWidget* shown = content())
    shown->setFocus(Qt::TabFocusReason);
}

QLineEdit* FrameWidgets::first_edit() const {
  if (controls_.empty() || !controls_.front().second) return nullptr;
  QWidget* first = controls_.front().second.data();
  if (auto* combo = qobject_cast<QComboBox*>(first)) return combo->lineEdit();
  return qobject_cast<QLineEdit*>(first);
}

QWidget* FrameWidgets::content() const {
  QLayoutItem* cell = layout_->itemAtPosition(1, 1);
  return cell ? cell->widget() : nullptr;
}

// The popups go into the menu bar, or with the own frame into the title bar as drop-down
// buttons; their entries choose items as the menu bar's do.
void FrameWidgets::add_popups(const std::vector<FrameEntry>& menus) {
  for (const FrameEntry& popup : menus) {
    QMenu* menu = nullptr;
    if (menu_bar_) {
      menu = menu_bar_->addMenu(popup.label);
    } else if (title_bar_) {
      menu = new QMenu(popup.label, title_bar_);
    } else {
      continue;
    }
    menu->setAccessibleName(platform::accessible_label(popup.label));
    fill_menu(*menu, popup.entries);
    colour_menu(*menu, menu_, menu_text_);
    show_state(*menu->menuAction(), popup.state);
    menu->menuAction()->setStatusTip(popup.help);
    actions_.emplace(popup.id, menu->menuAction());
    popups_.emplace_back(menu);
    if (!menu_bar_) title_bar_->add_drop_down(menu);
  }
}

void FrameWidgets::set_icons(const std::map<QString, QImage>& icons) {
  for (const auto& [name, image] : icons) {
    const auto [first, last] = icon_actions_.equal_range(name);
    for (auto at = first; at != last; ++at)
      if (at->second) at->second->setIcon(QIcon(QPixmap::fromImage(image)));
  }
  if (title_bar_) title_bar_->set_icons(icons);
}

void FrameWidgets::set_tool_caption(const QString& text) {
  tool_caption_ = text;
  if (title_bar_) title_bar_->set_tool_caption(text);
}

void FrameWidgets::paint_border() {
  if (border_ <= 0) return;
  // The margins around the content (below the title bar, which lies across the top).
  const QRect all = window_->rect();
  const int top = title_bar_ ? title_bar_->geometry().bottom() + 1 : 0;
  const QRect inner = all.adjusted(border_, top + border_, -border_, -border_);
  QPainter painter(window_);
  painter.setClipRegion(QRegion(all).subtracted(QRegion(inner)));
  painter.fillRect(all, border_colour_);
  // A darker line along the edge, so the border shows on a background of its own colour.
  painter.setPen(border_colour_.darker(150));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.drawRoundedRect(QRectF(all).adjusted(0.5, 0.5, -0.5, -0.5), kOwnFrameCornerRadius,
                          kOwnFrameCornerRadius);
}

void FrameWidgets::apply_own_frame(const OwnFrameLook& own, bool encrypted) {
  const bool top_level = window_->parentWidget() == nullptr || window_->isWindow();
  if (top_level && !own.embedded &&
      window_->windowFlags().testFlag(Qt::FramelessWindowHint) != own.on) {
    const bool visible = window_->isVisible();
    window_->setWindowFlag(Qt::FramelessWindowHint, own.on);
    if (visible) window_->show();  // changing the flags hides the window
  }
  border_ = own.on ? own.border : 0;
  // Without a caption colour of the model the border takes the style's dark shade.
  border_colour_ = own.caption.isValid() ? own.caption : window_->palette().color(QPalette::Dark);
  window_->update();
  if (!own.on) {
    layout_->setContentsMargins(0, 0, 0, 0);
    if (mouse_) {
      window_->removeEventFilter(mouse_);
      delete mouse_.data();
      window_->clearMask();
    }
    return;
  }
  // The title bar across the top; the menu bar's popups become its drop-down buttons.
  title_bar_ = new OwnTitleBar(window_, own, encrypted);
  title_bar_->set_tool_caption(tool_caption_);
  layout_->setMenuBar(title_bar_);
  layout_->setContentsMargins(own.border, own.border, own.border, own.border);
  window_->setMinimumSize(kOwnFrameMinimum, kOwnFrameMinimum);
  if (QToolButton* menu_button = title_bar_->menu_button()) {
    // The window menu: the window system's cannot be extended, this one has the hardcopy.
    auto* menu = new QMenu(menu_button);
    menu->addAction(QString::fromUtf8(foundation::message_text(kHardcopyMessage)), this,
                    [this] { choose(kHardcopyCommand); });
    menu_button->setMenu(menu);
  }
  if (!mouse_) mouse_ = new OwnFrameMouse(window_, own.embedded);
  mouse_->update_mask();
}

void FrameWidgets::set_bars_enabled(bool enabled) {
  bars_enabled_ = enabled;
  for (auto& bar : bars_)
    if (bar) bar->setEnabled(enabled);
}

QToolBar* FrameWidgets::make_toolbar(const std::vector<FrameEntry>& entries) {
  auto* toolbar = new QToolBar(window_);
  toolbar->setAccessibleName(QStringLiteral("Toolbar"));
  toolbar->setFocusPolicy(Qt::NoFocus);
  toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  for (const FrameEntry& entry : entries) {
    if (entry.separator) {
      toolbar->addSeparator();
      continue;
    }
    const QString plain = platform::label_text(entry.label);
    if (entry.control != 0) {
      QLineEdit* edit = nullptr;
      QWidget* control = nullptr;
      if (entry.control == kControlCombo) {
        auto* combo = new QComboBox(toolbar);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        edit = combo->lineEdit();
        control = combo;
      } else {
        edit = new QLineEdit(toolbar);
        control = edit;
      }
      control->setFixedWidth(entry.control_width);
      control->setEnabled(!disabled(entry.state));
      control->setToolTip(entry.help);
      control->setAccessibleName(plain.isEmpty() ? entry.help.simplified() : plain);
      // Tab and Enter are not typed into the control (eventFilter).
      edit->setProperty(kControlProperty, true);
      edit->installEventFilter(this);
      toolbar->addWidget(control);
      controls_.emplace_back(entry.id, control);
      continue;
    }
    // A missing icon gets a stock one, so the button still shows.
    const QIcon icon = entry.icon.isNull() ? toolbar->style()->standardIcon(QStyle::SP_FileIcon)
                                           : QIcon(QPixmap::fromImage(entry.icon));
    QAction* action = toolbar->addAction(icon, plain);
    if (!entry.icon_name.isEmpty()) icon_actions_.emplace(entry.icon_name, action);
    action->setToolTip(entry.help.isEmpty() ? plain : entry.help);
    action->setStatusTip(entry.help);
    show_state(*action, entry.state);
    const int id = entry.id;
    QObject::connect(action, &QAction::triggered, this, [this, id, action] {
      // The program decides the state; a click does not toggle the checked look.
      action->setChecked(!action->isChecked());
      choose(id);
    });
    actions_.emplace(id, action);
  }
  for (QToolButton* button : toolbar->findChildren<QToolButton*>())
    button->setFocusPolicy(Qt::NoFocus);
  return toolbar;
}

QWidget* FrameWidgets::make_bar(int bar, const std::vector<FrameEntry>& entries) {
  auto* widget = new QWidget(window_);
  widget->setStyleSheet(button_sheet_);
  static const char* const kBarNames[] = {"Top key bar", "Right key bar", "Bottom key bar",
                                          "Left key bar"};
  if (bar >= 0 && bar < 4) widget->setAccessibleName(QString::fromLatin1(kBarNames[bar]));
  const bool vertical = bar == 1 || bar == 3;
  auto* box = new QBoxLayout(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, widget);
  box->setContentsMargins(kButtonGap, kButtonGap, kButtonGap, kButtonGap);
  box->setSpacing(kButtonGap);
  for (const FrameEntry& entry : entries) {
    auto* button = new QPushButton(entry.label, widget);
    // The keys stay with the content window; a click does not take the focus.
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(entry.help);
    button->setStatusTip(entry.help);
    button->setAccessibleName(platform::accessible_label(entry.label));
    button->setAccessibleDescription(entry.help.simplified());
    const QFontMetrics metrics = button->fontMetrics();
    const QString plain = platform::label_text(entry.label);
    button->setMinimumWidth(metrics.horizontalAdvance(plain) + 2 * metrics.averageCharWidth());
    if (!entry.entries.empty()) {
      auto* menu = new QMenu(button);
      menu->setAccessibleName(platform::accessible_label(entry.label));
      fill_menu(*menu, entry.entries);
      button->setMenu(menu);
    }
    show_state(*button, entry.state);
    const int id = entry.id;
    QObject::connect(button, &QPushButton::clicked, this, [this, id, button] {
      // The program decides the state; a click does not toggle the pressed look.
      if (button->isCheckable()) button->setChecked(true);
      choose(id);
    });
    buttons_[id] = button;
    button->installEventFilter(this);
    box->addWidget(button);
  }
  box->addStretch();
  return widget;
}

// A long popup keeps one list of entries: QMenu has no column break of its own choosing (a
// native menu starts a new column after every 25 entries); it opens further columns only when
// the entries do not fit the screen's height, so every entry stays reachable.
void FrameWidgets::fill_menu(QMenu& menu, const std::vector<FrameEntry>& entries) {
  menu.setToolTipsVisible(false);
  for (const FrameEntry& entry : entries) {
    if (entry.separator) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(entry.label);
    action->setStatusTip(entry.help);
    show_state(*action, entry.state);
    const int id = entry.id;
    QObject::connect(action, &QAction::triggered, this, [this, id] { choose(id); });
    actions_.emplace(id, action);
  }
}

void FrameWidgets::choose(int id) {
  post_to_program(*to_program_, to_program::FrameItem{id, first_control_text()});
}

void FrameWidgets::set_first_control_text(const QString& text) {
  if (QLineEdit* edit = first_edit()) edit->setText(text);
}

void FrameWidgets::remember_first_control_text(const QString& text) {
  QLineEdit* edit = first_edit();
  if (text.isEmpty() || edit == nullptr) return;
  if (auto* combo = qobject_cast<QComboBox*>(controls_.front().second.data())) {
    if (const int earlier = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        earlier >= 0)
      combo->removeItem(earlier);
    combo->insertItem(0, text);
    while (combo->count() > kRememberedTexts) combo->removeItem(combo->count() - 1);
    combo->setCurrentIndex(0);
  }
  edit->setText(text);
}

void FrameWidgets::set_state(int id, int state) {
  for (const auto& [item, widget] : controls_)
    if (item == id && widget) widget->setEnabled(!disabled(state));
  if (const auto found = buttons_.find(id); found != buttons_.end() && found->second)
    show_state(*found->second, state);
  const auto [first, last] = actions_.equal_range(id);
  for (auto at = first; at != last; ++at)
    if (at->second) show_state(*at->second, state);
}

void FrameWidgets::set_text(int id, const QString& label, const QString& help) {
  if (const auto found = buttons_.find(id); found != buttons_.end() && found->second) {
    QPushButton& button = *found->second;
    button.setText(label);
    button.setToolTip(help);
    button.setStatusTip(help);
  }
  const auto [first, last] = actions_.equal_range(id);
  for (auto at = first; at != last; ++at) {
    if (!at->second) continue;
    at->second->setText(label);
    at->second->setStatusTip(help);
  }
}

void FrameWidgets::show_context_menu(const std::vector<FrameEntry>& entries) {
  delete context_.data();
  context_ = new QMenu(window_);
  context_->setAttribute(Qt::WA_DeleteOnClose);
  context_->installEventFilter(this);
  fill_menu(*context_, entries);
  colour_menu(*context_, context_colour_, context_text_);
  context_->popup(QCursor::pos());
}

void FrameWidgets::set_status_text(const QString& text) {
  status_text_ = text;
  if (status_) status_->showMessage(text);
}

QSize FrameWidgets::extra_size() const {
  QSize extra(0, 0);
  auto height = [](const QWidget* widget) { return widget ? widget->sizeHint().height() : 0; };
  auto width = [](const QWidget* widget) { return widget ? widget->sizeHint().width() : 0; };
  extra.rheight() += height(bars_[kBarTop]) + height(bars_[kBarBottom]) + height(menu_bar_) +
                     height(status_) + height(toolbar_);
  extra.rwidth() += width(bars_[kBarLeft]) + width(bars_[kBarRight]);
  // The own frame: its title bar and the border on every side.
  extra += QSize(2 * border_, height(title_bar_) + 2 * border_);
  return extra;
}

void FrameWidgets::set_button_shades(const std::array<QColor, 3>& normal,
                                     const std::array<QColor, 3>& pressed, const QColor& text) {
  auto valid = [](const std::array<QColor, 3>& shades) {
    return shades[0].isValid() && shades[1].isValid() && shades[2].isValid();
  };
  auto gradient = [](const std::array<QColor, 3>& shades) {
    return QStringLiteral(
               "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:0.5 %2, stop:1 %3)")
        .arg(shades[0].name(), shades[1].name(), shades[2].name());
  };
  button_sheet_.clear();
  if (valid(normal)) {
    const QString down = valid(pressed) ? gradient(pressed) : gradient(normal);
    button_sheet_ = QStringLiteral(
                        "QPushButton { background: %1; border: 1px solid %2; border-radius: 3px;"
                        " padding: 3px 8px; color: %4; }"
                        " QPushButton:pressed, QPushButton:checked { background: %3; }")
                        .arg(gradient(normal), normal[2].darker(130).name(), down,
                             text.isValid() ? text.name() : QStringLiteral("palette(button-text)"));
  }
  for (const auto& bar : bars_)
    if (bar) bar->setStyleSheet(button_sheet_);
}

QWidget* FrameWidgets::control(int id) const {
  for (const auto& [item, widget] : controls_)
    if (item == id) return widget.data();
  return nullptr;
}

QString FrameWidgets::first_control_text() const {
  const QLineEdit* edit = first_edit();
  return edit ? edit->text() : QString();
}

QPushButton* FrameWidgets::button(int id) const {
  const auto found = buttons_.find(id);
  return found == buttons_.end() ? nullptr : found->second.data();
}

bool FrameWidgets::focus_key_bar() {
  for (const auto& bar : bars_) {
    if (!bar || !bar->isEnabled()) continue;
    for (QPushButton* button : bar->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
      if (!button->isEnabled() || !button->isVisible()) continue;
      button->setFocus(Qt::ShortcutFocusReason);
      return true;
    }
  }
  return false;
}

bool FrameWidgets::bar_key(QPushButton& button, const QKeyEvent& key) {
  QWidget* content = this->content();
  switch (key.key()) {
    case Qt::Key_Escape:
      if (content) content->setFocus(Qt::ShortcutFocusReason);
      return true;
    case Qt::Key_Tab:
      if (key.modifiers() == Qt::ControlModifier) {
        if (content) content->setFocus(Qt::ShortcutFocusReason);
        return true;
      }
      [[fallthrough]];
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Backtab: {
      // The next (or previous) enabled button of the same bar, round the end.
      const bool back =
          key.key() == Qt::Key_Left || key.key() == Qt::Key_Up || key.key() == Qt::Key_Backtab;
      const auto buttons =
          button.parentWidget()->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly);
      const auto count = buttons.size();
      const auto at = buttons.indexOf(&button);
      for (qsizetype step = 1; at >= 0 && step < count; ++step) {
        QPushButton* next = buttons[(at + (back ? count - step : step)) % count];
        if (next->isEnabled() && next->isVisible()) {
          next->setFocus(Qt::ShortcutFocusReason);
          break;
        }
      }
      return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
      button.click();
      return true;
    default:
      return false;  // Space presses the button as usual
  }
}

bool FrameWidgets::control_key(QLineEdit& edit, const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (control_entered_) control_entered_(edit.text());
      return true;
    case Qt::Key_Tab:
      if (key.modifiers() != Qt::NoModifier) return false;
      leave_control();
      return true;
    default:
      return false;
  }
}

bool FrameWidgets::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Paint) {
    paint_border();
    return false;
  }
  if (event->type() == QEvent::KeyPress) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (auto* edit = qobject_cast<QLineEdit*>(watched);
        edit != nullptr && edit->property(kControlProperty).toBool())
      return control_key(*edit, key);
    auto* button = qobject_cast<QPushButton*>(watched);
    return button != nullptr && bar_key(*button, key);
  }
  // The status bar shows an item's help while it is highlighted, otherwise the status text.
  if (event->type() != QEvent::StatusTip || !status_) return false;
  const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
  status_->showMessage(tip.isEmpty() ? status_text_ : tip);
  return true;
}

}  // namespace kovw::session
