#pragma once
// The frame's widgets on the GUI thread, around the content window of a main window: the menu
// bar, up to four key bars of push buttons along the edges, the status bar and the context
// menus. They are built from the description the program thread posts; choosing an item posts
// WML_FRAME_ITEM with its id to the program thread, which decides what it does.

#include <QColor>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSize>
#include <QStatusBar>
#include <QToolBar>
#include <array>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "session/event_channel.h"
#include "session/program/frame_description.h"
#include "session/view/own_frame.h"

namespace kovw::session {

class FrameWidgets : public QObject {
 public:
  // `window` is the main window, `layout` its grid with the content window in the middle cell.
  FrameWidgets(ChannelPtr to_program, QWidget* window, QGridLayout* layout);

  // Replaces the bars, menu bar and status bar by those of `frame`. With the own frame the menu
  // bar's popups are drop-down buttons of the title bar, not a menu bar.
  void build(const FrameDescription& frame);
  // Icons that joined the host icon set: toolbar buttons and title bar buttons that name one
  // show it.
  void set_icons(const std::map<QString, QImage>& icons);
  // The own frame's tool caption (kept for the next frame; the standard frame shows none).
  void set_tool_caption(const QString& text);
  // Shows an item's state: buttons disabled or pressed, menu entries grayed or checked.
  void set_state(int id, int state);
  // Shows an item's new label and help text on its button and menu entries.
  void set_text(int id, const QString& label, const QString& help);
  // Shows a context menu of `entries` at the pointer (replacing one still open).
  void show_context_menu(const std::vector<FrameEntry>& entries);
  void set_status_text(const QString& text);
  // Takes the key bars out of use while the host works (false) and back (true); the buttons
  // keep their own states, also across a new frame.
  void set_bars_enabled(bool enabled);
  // Gives the focus to the first enabled button of the key bars (top, right, bottom, left);
  // false when there is none. In a bar the arrow keys (and Tab) move between its buttons,
  // Enter and Space choose one, Escape and Ctrl+Tab go back to the content window.
  bool focus_key_bar();
  // The colours of the menu bar's popups and of context menus (the model's menu and context
  // menu brushes); invalid colours leave the style's.
  void set_menu_colours(QColor menu, QColor menu_text, QColor context, QColor context_text);
  // The key bar buttons drawn with the model's shades, top to bottom (a vertical gradient), and
  // the highlighted face's shades while pressed; invalid colours give the style's buttons.
  void set_button_shades(const std::array<QColor, 3>& normal, const std::array<QColor, 3>& pressed,
                         const QColor& text);

  // The room the bars, menu bar and status bar take beside the content window.
  QSize extra_size() const;

  QStatusBar* status_bar() const { return status_; }
  // The own frame's title bar and its mouse handling (null with the standard frame).
  OwnTitleBar* title_bar() const { return title_bar_; }
  OwnFrameMouse* own_frame_mouse() const { return mouse_; }
  QMenuBar* menu_bar() const { return menu_bar_; }
  QMenu* context_menu() const { return context_; }
  // The toolbar of icon buttons, or null.
  QToolBar* toolbar() const { return toolbar_; }
  // The toolbar's controls (edit fields and combo boxes) by item id, and the first one's text
  // (empty without one). Enter in a control reports its text to `entered` (the icon view
  // answers with it); Tab and Enter are not typed into the control.
  QWidget* control(int id) const;
  QString first_control_text() const;
  void set_first_control_text(const QString& text);
  // Puts `text` at the top of the first control's list of earlier texts (an equal one moves up;
  // beyond kRememberedTexts the oldest go) and makes it the control's text.
  void remember_first_control_text(const QString& text);
  static constexpr int kRememberedTexts = 20;
  // Tab in a control calls `tab` (the icon view moves the focus to its list); without one the
  // content window gets the focus.
  void set_control_tab(std::function<void()> tab) { control_tab_ = std::move(tab); }
  void set_control_entered(std::function<void(const QString& text)> entered) {
    control_entered_ = std::move(entered);
  }
  // The key bar button of item `id`, or null.
  QPushButton* button(int id) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void clear();
  void apply_own_frame(const OwnFrameLook& own, bool encrypted);
  void add_popups(const std::vector<FrameEntry>& menus);
  void paint_border();
  QWidget* make_bar(int bar, const std::vector<FrameEntry>& entries);
  QToolBar* make_toolbar(const std::vector<FrameEntry>& entries);
  void fill_menu(QMenu& menu, const std::vector<FrameEntry>& entries);
  void choose(int id);
  // The keys of a key bar button that has the focus; true when taken.
  bool bar_key(QPushButton& button, const QKeyEvent& key);
  bool control_key(QLineEdit& edit, const QKeyEvent& key);
  // The keys of the items (icon views) and Ctrl+P.
  void add_keys(const FrameDescription& frame);
  void focus_first_control();
  // The focus leaves a toolbar control (Tab, Ctrl+P there): to the icon view's list, or to the
  // content window.
  void leave_control();
  // The first toolbar control's line edit (a combo box's own), or null without a control.
  QLineEdit* first_edit() const;
  // The content window (the grid's middle cell), or null.
  QWidget* content() const;

  ChannelPtr to_program_;
  QWidget* window_;
  QGridLayout* layout_;
  std::array<QPointer<QWidget>, 4> bars_;
  QPointer<QMenuBar> menu_bar_;
  QPointer<QToolBar> toolbar_;
  QPointer<QWidget> top_area_;  // the toolbar above the top key bar
  QPointer<OwnTitleBar> title_bar_;
  QPointer<OwnFrameMouse> mouse_;
  QPointer<QStatusBar> status_;
  QPointer<QMenu> context_;
  QString status_text_;
  bool bars_enabled_ = true;
  QColor menu_, menu_text_, context_colour_, context_text_;
  QString button_sheet_;  // the key bars' style sheet of the model's shades
  std::vector<std::pair<int, QPointer<QWidget>>> controls_;  // toolbar controls in order
  std::function<void(const QString&)> control_entered_;
  std::function<void()> control_tab_;
  std::vector<QPointer<QShortcut>> shortcuts_;
  std::unordered_map<int, QPointer<QPushButton>> buttons_;
  std::unordered_multimap<int, QPointer<QAction>> actions_;
  std::multimap<QString, QPointer<QAction>> icon_actions_;  // toolbar buttons by host icon name
  std::vector<QPointer<QMenu>> popups_;                     // the menu bar's or title bar's
  // The own frame's border: its width and colour (painted around the content).
  int border_ = 0;
  QColor border_colour_;
  QString tool_caption_;
};

}  // namespace kovw::session
