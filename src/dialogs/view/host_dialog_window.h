#pragma once
// The window of a host dialog: a message with buttons, or a list (with its own scroll bar over
// the host's whole virtual list) with buttons and an optional input line. It is modal to its
// program's window only, so other programs keep working. It decides nothing: every user action
// goes to `act` with the list's selection, the input's text and the lines it shows, and the
// program thread answers the host and tells the window what to do next.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

#include "dialogs/host_dialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
class QKeyEvent;

namespace kovw::dialogs {

class HostDialogWindow : public QDialog {
  // findChild<HostDialogWindow*> finds this class, not any dialog
  Q_OBJECT

 public:
  using ActionSink = std::function<void(const DialogAction&)>;
  // The host key of a key press in the list, or nothing.
  using KeyTranslator = std::function<std::optional<int>(const QKeyEvent&)>;

  HostDialogWindow(const DialogDefinition& definition, QWidget* program_window, ActionSink act,
                   KeyTranslator translate);

  // New lines, selection and scroll position of the shown list (kind 32, or a page the host
  // sent).
  void refill(const DialogDefinition& definition);

  // The font of a message's text (kind 0): the program window's text font.
  void set_message_font(const QFont& font);

  QListWidget* list() const { return list_; }
  QScrollBar* scroll_bar() const { return scroll_; }
  QLineEdit* input() const { return input_; }
  // The shown buttons in order (hidden ones and the twelfth have none), and the index of the
  // definition's button each one stands for.
  const std::vector<QPushButton*>& buttons() const { return buttons_; }
  int visible_lines() const { return visible_lines_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void report(DialogAction::Kind kind, int value = 0);
  bool list_key(const QKeyEvent& key);
  void choose_default(int identifier);

  DialogDefinition definition_;
  ActionSink act_;
  KeyTranslator translate_;
  QListWidget* list_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  QLineEdit* input_ = nullptr;
  QLabel* text_ = nullptr;
  std::vector<QPushButton*> buttons_;
  std::vector<int> button_index_;
  int visible_lines_ = 0;
  int last_focused_button_ = -1;
  bool refilling_ = false;
  bool filled_ = false;
};

}  // namespace kovw::dialogs
