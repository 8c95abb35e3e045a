#include "session/view/text_screen_accessible.h"

#include "session/view/text_screen_reading.h"
#include "session/view/text_screen_widget.h"

namespace kovw::session {

TextScreenAccessible::TextScreenAccessible(TextScreenWidget* widget)
    : QAccessibleWidget(widget, QAccessible::Terminal) {
  widget->set_read_aloud();
}

TextScreenWidget* TextScreenAccessible::screen() const {
  return static_cast<TextScreenWidget*>(widget());
}

void* TextScreenAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QString TextScreenAccessible::text(QAccessible::Text type) const {
  const TextScreenWidget* widget = screen();
  switch (type) {
    case QAccessible::Name: {
      // The program's window title names its screen.
      const QString own = widget->accessibleName();
      if (!own.isEmpty()) return own;
      const QString title = widget->window()->windowTitle();
      return title.isEmpty() ? QStringLiteral("Text screen") : title;
    }
    case QAccessible::Description: {
      const auto field = widget->field_under_cursor();
      if (!field) return {};
      return field->label.isEmpty() ? field->contents : field->label + ": " + field->contents;
    }
    case QAccessible::Value:
      return widget->row_text(widget->cursor().row);
    default:
      return QAccessibleWidget::text(type);
  }
}

QAccessible::State TextScreenAccessible::state() const {
  QAccessible::State state = QAccessibleWidget::state();
  state.readOnly = true;
  state.multiLine = true;
  state.focusable = true;
  const QWidget* owner = screen()->parentWidget();
  if (owner != nullptr && owner->hasFocus()) state.focused = true;
  return state;
}

void TextScreenAccessible::selection(int, int* start, int* end) const {
  *start = 0;
  *end = 0;
}

int TextScreenAccessible::cursorPosition() const {
  const TextScreenWidget* widget = screen();
  if (widget->columns() <= 0 || widget->rows() <= 0) return 0;
  const TextCursor cursor = widget->cursor();
  return reading_offset(widget->columns(), std::clamp(cursor.column, 0, widget->columns() - 1),
                        std::clamp(cursor.row, 0, widget->rows() - 1));
}

QString TextScreenAccessible::text(int start, int end) const {
  const QString all = screen()->reading();
  start = std::clamp(start, 0, static_cast<int>(all.size()));
  end =
      end < 0 ? static_cast<int>(all.size()) : std::clamp(end, start, static_cast<int>(all.size()));
  return all.mid(start, end - start);
}

int TextScreenAccessible::characterCount() const {
  const TextScreenWidget* widget = screen();
  if (widget->columns() <= 0 || widget->rows() <= 0) return 0;
  return widget->rows() * (widget->columns() + 1) - 1;
}

QRect TextScreenAccessible::characterRect(int offset) const {
  const TextScreenWidget* widget = screen();
  const int line = widget->columns() + 1;
  if (offset < 0 || offset >= characterCount() || line <= 1) return {};
  const QPoint origin = widget->cell_origin(offset % line, offset / line);
  return {widget->mapToGlobal(origin), QSize(widget->cell_width(), widget->cell_height())};
}

int TextScreenAccessible::offsetAtPoint(const QPoint& point) const {
  const TextScreenWidget* widget = screen();
  const QPoint local = widget->mapFromGlobal(point);
  if (local.x() < 0 || local.y() < 0 || widget->cell_width() <= 0 || widget->cell_height() <= 0)
    return -1;
  const int column = local.x() / widget->cell_width();
  const int row = local.y() / widget->cell_height();
  if (column >= widget->columns() || row >= widget->rows()) return -1;
  return reading_offset(widget->columns(), column, row);
}

QString TextScreenAccessible::attributes(int offset, int* start, int* end) const {
  *start = offset;
  *end = offset;
  return {};
}

QAccessibleInterface* text_screen_accessible_factory(const QString&, QObject* object) {
  if (auto* widget = qobject_cast<TextScreenWidget*>(object))
    return new TextScreenAccessible(widget);
  return nullptr;
}

}  // namespace kovw::session
