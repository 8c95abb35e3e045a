#pragma once
// The text screen for assistive technology: a terminal-like object whose text is the grid, one
// line a row, with the caret at the cursor; its description names the field under the caret
// with the label before it on its row. TextScreenWidget installs the factory and announces
// changed rows and caret moves.

#include <QAccessibleWidget>

namespace kovw::session {

class TextScreenWidget;

class TextScreenAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit TextScreenAccessible(TextScreenWidget* widget);

  void* interface_cast(QAccessible::InterfaceType type) override;
  QString text(QAccessible::Text type) const override;
  QAccessible::State state() const override;

  // QAccessibleTextInterface. The host owns the cursor and the screen has no selection: the
  // calls that would change them do nothing.
  void selection(int index, int* start, int* end) const override;
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override;
  void setCursorPosition(int) override {}
  QString text(int start, int end) const override;
  int characterCount() const override;
  QRect characterRect(int offset) const override;
  int offsetAtPoint(const QPoint& point) const override;
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* start, int* end) const override;

 private:
  TextScreenWidget* screen() const;
};

// Creates the interface for text screen widgets; installed once with QAccessible::installFactory.
QAccessibleInterface* text_screen_accessible_factory(const QString& key, QObject* object);

}  // namespace kovw::session
