#pragma once
// A multi-line edit area over a text screen's cells, for the host's KWK_WEDIT. The text is
// edited here, on the GUI thread, like in any text editor; Tab, Enter and the function keys are
// translated into host keys: some edit (a new line, copying the line above, cutting, copying
// and pasting, indenting), every other one leaves the area, and the view reports the key, the
// text and whether it changed to the program (to_program::EditLeft).

#include <QPlainTextEdit>
#include <QPointer>

#include "session/event_channel.h"
#include "session/window_messages.h"

namespace kovw::session {

class EditAreaWidget : public QPlainTextEdit {
  Q_OBJECT  // findChild<EditAreaWidget*> finds this class, not any editor

      public :
      // Over the cells of `screen` (a TextScreenWidget); `focus_back` gets the focus when left.
      EditAreaWidget(const to_view::EditArea& area, QWidget* screen, int cell_width,
                     int cell_height, ChannelPtr to_program, QWidget* focus_back);

  // Handles a host key as the area does; false when the key leaves it.
  bool host_key(int number);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  void leave(int exit_key);
  void new_line();
  void copy_line_above();
  void cut_or_copy(bool cut);
  void shift_lines(bool indent);
  int room() const;

  to_view::EditArea area_;
  ChannelPtr to_program_;
  QPointer<QWidget> focus_back_;
  QString original_;
  bool left_ = false;
};

}  // namespace kovw::session
