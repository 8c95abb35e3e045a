#include "session/view/input_field_widget.h"

#include <QPainter>
#include <algorithm>

#include "session/view/text_screen_widget.h"

namespace kovw::session {

InputFieldWidget::InputFieldWidget(TextScreenWidget* screen) : QWidget(screen), screen_(screen) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  hide();
}

void InputFieldWidget::apply(const to_view::InputField& field) {
  field_ = field;
  if (!field.shown) {
    hide();
    return;
  }
  const int columns = field.full_width ? std::max(screen_->columns(), 1) : std::max(field.width, 1);
  const QPoint origin = screen_->cell_origin(field.full_width ? 0 : field.column, field.row);
  setGeometry(QRect(origin, QSize(columns * screen_->cell_width(), screen_->cell_height())));
  // Keep the cursor in sight.
  if (field.cursor < first_) first_ = field.cursor;
  if (field.cursor >= first_ + columns) first_ = field.cursor - columns + 1;
  first_ = std::clamp(first_, 0, std::max(0, static_cast<int>(field.text.size())));
  show();
  raise();
  update();
}

void InputFieldWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), field_.background);
  const TextScreenPainter& cells = screen_->painter();
  painter.setFont(cells.font(field_.bold));
  painter.setPen(field_.text_colour);
  const int width = screen_->cell_width();
  // One character per cell, as the screen lays its text out.
  for (int i = first_; i < field_.text.size(); ++i) {
    const int x = (i - first_) * width;
    if (x >= this->width()) break;
    painter.drawText(QRect(x, 0, width, height()), Qt::AlignHCenter | Qt::AlignTop,
                     QString(field_.text[i]));
  }
  // The caret: as wide as a character, at most the configured width (insert mode: a bar).
  const int x = (field_.cursor - first_) * width;
  const int caret = field_.insert ? std::min(2, width) : std::min(cells.caret_width(), width);
  painter.fillRect(QRect(x, 0, std::max(caret, 1), height()), field_.text_colour);
}

}  // namespace kovw::session
