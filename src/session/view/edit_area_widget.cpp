#include "session/view/edit_area_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <algorithm>

#include "session/program/key_translation.h"
#include "session/view/text_input.h"

namespace kovw::session {

namespace {

// The keys the area translates into host keys: Tab, Enter and the function keys.
bool translated(HostKey key) {
  return key == HostKey::Tab || key == HostKey::Return ||
         (static_cast<int>(key) >= static_cast<int>(HostKey::F1) &&
          static_cast<int>(key) <= static_cast<int>(HostKey::F20));
}

QString leading_blanks(const QString& line) {
  int count = 0;
  while (count < line.size() && line[count] == u' ') ++count;
  return line.left(count);
}

}  // namespace

EditAreaWidget::EditAreaWidget(const to_view::EditArea& area, QWidget* screen, int cell_width,
                               int cell_height, ChannelPtr to_program, QWidget* focus_back)
    : QPlainTextEdit(screen),
      area_(area),
      to_program_(std::move(to_program)),
      focus_back_(focus_back),
      original_(area.text) {
  setPlainText(area.text);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setTabChangesFocus(false);
  document()->setDocumentMargin(1);
  QPalette colours = palette();
  if (area.background.isValid()) colours.setColor(QPalette::Base, area.background);
  if (area.text_colour.isValid()) colours.setColor(QPalette::Text, area.text_colour);
  setPalette(colours);
  setWindowTitle(QStringLiteral("Mehrzeiliges Edit-Fenster"));
  setGeometry(area.column * cell_width - 1, area.row * cell_height,
              std::max(area.columns, 1) * cell_width, std::max(area.rows, 1) * cell_height);
  show();
  raise();
  setFocus(Qt::OtherFocusReason);
}

int EditAreaWidget::room() const {
  return std::max(0, area_.max_length - static_cast<int>(toPlainText().size()));
}

void EditAreaWidget::keyPressEvent(QKeyEvent* event) {
  const HostKey key = host_key_of(event->key(), event->nativeVirtualKey());
  if (translated(key)) {
    const int modifiers = modifier_bits(event->modifiers());
    if (const auto number = layout_number(area_.layout, key, modifiers)) {
      host_key(*number);
      return;
    }
  }
  // Typing stops at the maximum length (deleting and moving always work).
  if (!event->text().isEmpty() && event->text()[0].isPrint() && room() < event->text().size() &&
      textCursor().selectedText().isEmpty()) {
    QApplication::beep();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void EditAreaWidget::insertFromMimeData(const QMimeData* source) {
  // Pasted text is cut to the room that is left.
  QString text = source->text();
  const int limit = room() + static_cast<int>(textCursor().selectedText().size());
  if (text.size() > limit) {
    QApplication::beep();
    text.truncate(limit);
  }
  textCursor().insertText(text);
}

bool EditAreaWidget::host_key(int number) {
  switch (number) {
    case 2:
      new_line();
      return true;
    case 11:
      copy_line_above();
      return true;
    case 24:
      cut_or_copy(true);
      return true;
    case 33:
      cut_or_copy(false);
      return true;
    case 34:
      paste();
      return true;
    case 18:
    case 19:
      if (!area_.programmer) break;
      shift_lines(number == 18);
      return true;
    case 40:
      return true;  // ignored
    default:
      break;
  }
  leave(number);
  return false;
}

void EditAreaWidget::new_line() {
  if (room() < 1) {
    QApplication::beep();
    return;
  }
  QTextCursor cursor = textCursor();
  QString indent;
  if (area_.programmer) indent = leading_blanks(cursor.block().text());
  if (indent.size() + 1 > room()) indent.truncate(std::max(0, room() - 1));
  cursor.insertText(QStringLiteral("\n") + indent);
  setTextCursor(cursor);
}

void EditAreaWidget::copy_line_above() {
  QTextCursor cursor = textCursor();
  const QTextBlock above = cursor.block().previous();
  if (!above.isValid()) return;
  QString line = above.text();
  if (line.size() > room()) {
    QApplication::beep();
    line.truncate(room());
  }
  cursor.insertText(line);
  setTextCursor(cursor);
}

void EditAreaWidget::cut_or_copy(bool cut) {
  QTextCursor cursor = textCursor();
  if (!cursor.hasSelection()) {
    // The current line, with its line end.
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    if (!cursor.hasSelection())
      cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  }
  QString text = cursor.selectedText();
  text.replace(QChar::ParagraphSeparator, u'\n');
  QApplication::clipboard()->setText(text);
  if (cut) {
    cursor.removeSelectedText();
    setTextCursor(cursor);
  }
}

void EditAreaWidget::shift_lines(bool indent) {
  const int step = std::max(area_.tab_blanks, 1);
  QTextCursor cursor = textCursor();
  if (!cursor.hasSelection()) {
    // At the cursor: blanks up to the next tab position, or up to one step of blanks back.
    const int column = cursor.positionInBlock();
    if (indent) {
      const int blanks = std::min(step - column % step, room());
      cursor.insertText(QString(blanks, u' '));
    } else {
      const QString before = cursor.block().text().left(column);
      int count = 0;
      while (count < step && count < before.size() && before[before.size() - 1 - count] == u' ')
        ++count;
      cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, count);
      cursor.removeSelectedText();
    }
    setTextCursor(cursor);
    return;
  }
  // Every selected line.
  const int start = std::min(cursor.selectionStart(), cursor.selectionEnd());
  const int end = std::max(cursor.selectionStart(), cursor.selectionEnd());
  QTextBlock block = document()->findBlock(start);
  const QTextBlock last = document()->findBlock(std::max(start, end - 1));
  cursor.beginEditBlock();
  while (block.isValid()) {
    QTextCursor line(block);
    if (indent) {
      const int blanks = std::min(step, room());
      if (blanks > 0) line.insertText(QString(blanks, u' '));
    } else {
      const int count = std::min<int>(step, leading_blanks(block.text()).size());
      line.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, count);
      line.removeSelectedText();
    }
    if (block == last) break;
    block = block.next();
  }
  cursor.endEditBlock();
}

void EditAreaWidget::leave(int exit_key) {
  if (left_) return;
  left_ = true;
  const QString text = toPlainText();
  post_to_program(*to_program_, to_program::EditLeft{exit_key, text, text != original_});
  if (focus_back_) focus_back_->setFocus(Qt::OtherFocusReason);
  hide();
  deleteLater();
}

}  // namespace kovw::session
