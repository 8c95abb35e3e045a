#pragma once
// The hardcopy dialog: what to make of the window (print, file, clipboard), the area of a
// graphics window, text or graphic mode, the printer with its set-up and page, the heading, the
// file name and its format. Its controls are enabled by the output chosen and the kind of the
// window; OK checks the choices and says what is missing, keeping the dialog open.

#include <QDialog>
#include <QSize>
#include <QString>

#include "session/program/hardcopy_settings.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kovw::session {

// What the dialog shows of the window.
struct HardcopyWindowFacts {
  QString description;
  bool text_screen = true;
  QSize text_size;     // columns and rows of a text screen
  QSize whole_size;    // pixels of a graphics window's whole drawing area
  QSize visible_size;  // pixels of its visible area
};

class HardcopyDialog : public QDialog {
 public:
  // Starts from `settings` (the process's last choices); `settings()` holds the choices after
  // OK.
  HardcopyDialog(const HardcopySettings& settings, const HardcopyWindowFacts& facts,
                 QWidget* parent);

  const HardcopySettings& settings() const { return settings_; }

  void accept() override;

 private:
  void apply_output(int output);
  void apply_format(int format);
  void show_size();
  void choose_file();
  void setup_printer();
  void setup_page();

  HardcopySettings settings_;
  HardcopyWindowFacts facts_;
  QRadioButton *print_, *file_, *clipboard_;
  QRadioButton *whole_, *visible_;
  QLineEdit *width_, *height_;
  QGroupBox *mode_group_, *print_group_, *save_group_;
  QRadioButton *text_mode_, *graphic_mode_;
  QLineEdit* printer_;
  QPushButton *setup_printer_, *setup_page_;
  QCheckBox* heading_;
  QCheckBox* save_on_host_;
  QLineEdit* file_name_;
  QPushButton* browse_;
  QRadioButton *bmp_, *pcx_, *txt_, *oem_;
  QPushButton* ok_;
};

}  // namespace kovw::session
