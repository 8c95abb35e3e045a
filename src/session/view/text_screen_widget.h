#pragma once
// The text screen as the user sees it: the view's copy of the character grid, painted by the
// text screen painter in the screen's fonts and colours, with the caret at the cursor while the
// window has the focus. The widget is as large as the whole grid; the window shows the view
// (the visible part the host chose) and scrolls over the rest. It lives in the program's content
// window on the GUI thread and is fed by the rows its program thread posts.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "session/program/text_screen_update.h"
#include "session/view/text_screen_painter.h"
#include "session/view/text_screen_reading.h"

class QAccessibleEvent;

namespace kovw::session {

class TextScreenWidget : public QWidget {
  // findChild<TextScreenWidget*> finds this class, not any widget
  Q_OBJECT

 public:
  TextScreenWidget(const TextScreenLook& look, QWidget* parent);

  void apply(const TextUpdate& update);

  int cell_width() const { return painter_.cell_width(); }
  int cell_height() const { return painter_.cell_height(); }
  // The pixel size of the visible part of the grid (the view): the size the window offers it.
  QSize sizeHint() const override;
  // The pixel size of the whole grid: the widget's own size; where the window shows less, the
  // scroll area around the widget scrolls it.
  QSize grid_pixel_size() const;
  // The visible part of the grid and the cursor's cell, in the widget's pixels.
  QRect view_rect() const;
  QRect cursor_rect() const;
  std::uint32_t cell(int column, int row) const;
  const TextScreenPainter& painter() const { return painter_; }
  // The look the screen was made with (a hardcopy paints it again for its own device).
  const TextScreenLook& look() const { return look_; }
  int columns() const { return columns_; }
  int rows() const { return rows_; }
  TextCursor cursor() const { return cursor_; }
  // What assistive technology reads (text_screen_accessible.h): one row, the whole screen, the
  // field under the cursor, and the label before a cell of a row.
  QString row_text(int row) const;
  QString reading() const;
  std::optional<ScreenField> field_under_cursor() const;
  QString label_before_cell(int column, int row) const;
  // Assistive technology asked for the screen's interface: from now on updates are announced
  // (also where the platform does not report assistive technology as active).
  void set_read_aloud() { read_aloud_ = true; }
  // Where announcements go: QAccessible::updateAccessibility, which drops them while the
  // platform reports no assistive technology (as the offscreen platform always does). Returns
  // the previous receiver.
  using AccessibilityUpdate = void (*)(QAccessibleEvent*);
  static AccessibilityUpdate set_accessibility_update(AccessibilityUpdate update);
  // The top-left corner of a cell in the widget's pixels.
  QPoint cell_origin(int column, int row) const;
  // Whether the caret shows: not suppressed by the screen's style, not hidden by the host, and
  // the window (the content window or this widget) has the focus.
  bool caret_shown() const;
  // An input field over the cells has its own caret: the screen's hides meanwhile.
  void set_field_shown(bool shown) {
    field_shown_ = shown;
    update_caret();
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QRect row_rect(int row) const;
  void scroll_cells(int count);
  void update_caret();
  void apply_cells(const TextUpdate& update);
  std::span<const std::uint32_t> row_cells(int row) const;
  // Tells assistive technology what an update changed: the rows whose text changed (or the
  // whole text) and where the caret went.
  void announce(const std::vector<std::uint32_t>& old_cells, bool whole, int old_caret);

  QWidget* focus_owner_;  // the content window, which holds the focus for the screen
  TextScreenLook look_;
  TextScreenPainter painter_;
  bool caret_suppressed_ = false;
  // The grid as last received, with the cursor and the view.
  int columns_ = 0;
  int rows_ = 0;
  std::vector<std::uint32_t> cells_;
  TextCursor cursor_;
  bool caret_hidden_ = false;
  bool field_shown_ = false;
  TextView view_;
  bool read_aloud_ = false;
};

}  // namespace kovw::session
