#include "dialogs/view/host_dialog_window.h"

#include "dialogs/view/field_keyboard.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "platform/accessible_label.h"

namespace kovw::dialogs {

namespace {

QString text_of(const std::u16string& text) {
  return QString::fromStdU16String(text);
}

}  // namespace

HostDialogWindow::HostDialogWindow(const DialogDefinition& definition, QWidget* program_window,
                                   ActionSink act, KeyTranslator translate)
    : QDialog(program_window),
      definition_(definition),
      act_(std::move(act)),
      translate_(std::move(translate)) {
  const DialogHeader& header = definition.header;
  setWindowModality(Qt::WindowModal);  // its own program's windows only
  setWindowTitle(!definition.title.empty() ? text_of(definition.title)
                 : program_window != nullptr && !program_window->windowTitle().isEmpty()
                     ? program_window->windowTitle()
                     : QStringLiteral("Dialog"));
  setSizeGripEnabled(false);
  auto* layout = new QVBoxLayout(this);
  if (header.kind == 0) {
    QStringList lines;
    for (const auto& line : definition.lines) lines << text_of(line);
    text_ = new QLabel(lines.join(u'\n'), this);
    text_->setObjectName(QStringLiteral("message"));
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    layout->addWidget(text_);
  } else {
    auto* row = new QHBoxLayout;
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("list"));
    list_->setAccessibleName(windowTitle());
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setHorizontalScrollBarPolicy(
        (header.flags & kDialogHorizontalBar) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    list_->setUniformItemSizes(true);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    row->addWidget(list_);
    // The lines that fit: the larger of the asked lines and the lines sent, as far as the
    // program's window has room (at least one).
    const QFontMetrics metrics(list_->font());
    const int line_height = metrics.height();
    visible_lines_ = std::max<int>(header.visible_lines, static_cast<int>(definition.lines.size()));
    if (program_window != nullptr) {
      const int room = program_window->height() - 3 * line_height - 40 -
                       (definition.has_input() ? 2 * line_height : 0);
      while (visible_lines_ > 1 && visible_lines_ * line_height > room) --visible_lines_;
    }
    visible_lines_ = std::max(visible_lines_, 1);
    list_->setFixedHeight(visible_lines_ * line_height + 2 * list_->frameWidth() + 4);
    int widest = 200;
    for (const auto& line : definition.lines)
      widest = std::max(widest, metrics.horizontalAdvance(text_of(line)) + 2 * list_->frameWidth() +
                                    metrics.averageCharWidth());
    list_->setMinimumWidth(std::min(widest, 1200));
    if (header.total_lines > visible_lines_ || (header.flags & kDialogScrollBar)) {
      scroll_ = new QScrollBar(Qt::Vertical, this);
      scroll_->setObjectName(QStringLiteral("1500"));
      row->addWidget(scroll_);
      connect(scroll_, &QScrollBar::actionTriggered, this, [this](int) {
        if (!refilling_) report(DialogAction::Kind::Scroll, scroll_->sliderPosition());
      });
    }
    layout->addLayout(row);
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this] { report(DialogAction::Kind::ListEnter); });
  }
  if (definition.has_input()) {
    input_ = new QLineEdit(text_of(definition.input), this);
    input_->setObjectName(QStringLiteral("input"));
    input_->setAccessibleName(windowTitle());
    const int length = header.input_length > 0 ? std::min<int>(header.input_length, 255) : 80;
    input_->setMaxLength(length);
    input_->setMinimumWidth(
        std::min(input_->fontMetrics().averageCharWidth() * std::min(length, 80) + 8, 1200));
    layout->addWidget(input_);
    watch_field_for_keyboard(input_, false);
    // Enter in the input chooses as the dialog's Enter does.
    connect(input_, &QLineEdit::returnPressed, this, [this] { choose_default(1); });
  }
  auto* row = new QHBoxLayout;
  for (int i = 0; i < static_cast<int>(definition.buttons.size()) && i < kMaxShownButtons; ++i) {
    const DialogButton& b = definition.buttons[static_cast<std::size_t>(i)];
    if (b.hidden()) continue;
    auto* button = new QPushButton(text_of(b.label), this);
    button->setToolTip(text_of(b.help));
    button->setStatusTip(text_of(b.help));
    // Host labels come padded with blanks; assistive technology reads the label alone.
    button->setAccessibleName(platform::accessible_label(text_of(b.label)));
    button->setAccessibleDescription(text_of(b.help).simplified());
    button->setAutoDefault(true);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this,
            [this, i] { report(DialogAction::Kind::Button, i); });
    buttons_.push_back(button);
    button_index_.push_back(i);
    row->addWidget(button);
  }
  // All buttons have the width of the widest.
  int widest = 0;
  for (QPushButton* b : buttons_) widest = std::max(widest, b->sizeHint().width());
  for (QPushButton* b : buttons_) b->setMinimumWidth(widest);
  if (buttons_.size() == 1) {
    row->insertStretch(0);
    row->addStretch();
  }
  layout->addLayout(row);
  if (header.kind == 0 && !buttons_.empty()) buttons_.front()->setDefault(true);
  if (header.width > 0) resize(header.width, sizeHint().height());
  setMinimumSize(200, 100);
  refill(definition);
  if (list_ != nullptr && (header.flags & kDialogListFilled))
    list_->setFocus();
  else if (!buttons_.empty())
    buttons_.front()->setFocus();
}

void HostDialogWindow::set_message_font(const QFont& font) {
  if (text_ != nullptr) text_->setFont(font);
}

void HostDialogWindow::refill(const DialogDefinition& definition) {
  definition_.lines = definition.lines;
  definition_.header = definition.header;
  if (list_ == nullptr) return;
  refilling_ = true;
  list_->setUpdatesEnabled(false);
  list_->clear();
  // The list shows lines when the dialog was made with them (a refill's header may lack the
  // flag).
  if (definition.header.flags & kDialogListFilled) filled_ = true;
  if (filled_) {
    QStringList lines;
    lines.reserve(static_cast<int>(definition.lines.size()));
    for (const auto& line : definition.lines) lines << text_of(line);
    list_->addItems(lines);
  }
  const int selected = definition.header.selected;
  if (selected > 0 && selected <= list_->count()) list_->setCurrentRow(selected - 1);
  list_->setUpdatesEnabled(true);
  if (scroll_ != nullptr) {
    const int total = std::max(0, definition.header.total_lines);
    scroll_->setRange(0, std::max(0, total - visible_lines_));
    scroll_->setPageStep(visible_lines_);
    scroll_->setValue(definition.header.first_line);
  }
  refilling_ = false;
}

void HostDialogWindow::report(DialogAction::Kind kind, int value) {
  DialogAction action;
  action.kind = kind;
  action.value = value;
  action.selected = list_ != nullptr && list_->currentRow() >= 0 ? list_->currentRow() + 1 : 0;
  if (input_ != nullptr) action.input = input_->text().toStdU16String();
  action.visible_lines = visible_lines_;
  if (act_) act_(action);
}

void HostDialogWindow::choose_default(int identifier) {
  // The button that last had the focus; else the entry with that index.
  if (last_focused_button_ >= 0) {
    report(DialogAction::Kind::Button, last_focused_button_);
    return;
  }
  if (identifier < static_cast<int>(definition_.buttons.size()))
    report(DialogAction::Kind::Button, identifier);
}

bool HostDialogWindow::list_key(const QKeyEvent& key) {
  const int row = list_->currentRow();
  const int last = list_->count() - 1;
  switch (key.key()) {
    case Qt::Key_Up:
      if (row > 0) {
        report(DialogAction::Kind::Moved);
        return false;  // the list moves as usual
      }
      report(DialogAction::Kind::UpAtTop);
      return true;
    case Qt::Key_Down:
      if (row >= 0 && row < last) {
        report(DialogAction::Kind::Moved);
        return false;
      }
      report(DialogAction::Kind::DownAtBottom);
      return true;
    case Qt::Key_PageUp:
      report(DialogAction::Kind::PageUp);
      return true;
    case Qt::Key_PageDown:
      report(DialogAction::Kind::PageDown);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      report(DialogAction::Kind::ListEnter);
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return false;
    default:
      break;
  }
  // A key that chooses a button (shown or hidden) by its host key.
  if (translate_) {
    if (const auto code = translate_(key)) {
      for (const DialogButton& b : definition_.buttons) {
        if (b.key != 0 && b.key == *code) {
          report(DialogAction::Kind::HostKey, *code);
          return true;
        }
      }
    }
  }
  const QString text = key.text();
  if (!text.isEmpty() && text[0].isPrint()) {
    report(DialogAction::Kind::Character, text[0].unicode());
    return true;
  }
  return false;
}

bool HostDialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress)
    return list_key(static_cast<const QKeyEvent&>(*event));
  if (list_ != nullptr && watched == list_->viewport() && event->type() == QEvent::Wheel) {
    const int lines = -static_cast<const QWheelEvent*>(event)->angleDelta().y() / 120;
    if (lines != 0) report(DialogAction::Kind::Wheel, lines);
    return true;
  }
  if (event->type() == QEvent::FocusIn) {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      if (watched == buttons_[i]) last_focused_button_ = button_index_[i];
  }
  return QDialog::eventFilter(watched, event);
}

void HostDialogWindow::closeEvent(QCloseEvent* event) {
  // The program closes the dialog after its answer.
  event->ignore();
  report(DialogAction::Kind::CloseBox);
}

void HostDialogWindow::reject() {
  // Escape: the dialog's second command, as the dialog manager gives it.
  choose_default(2);
}

}  // namespace kovw::dialogs
