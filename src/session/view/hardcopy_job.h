#pragma once
// What a window hardcopy takes from a window and what it makes of it: the bytes of a hardcopy
// file, the clipboard's contents, and the printed page.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/program/hardcopy_settings.h"
#include "session/program/text_screen_update.h"
#include "session/view/hardcopy_page.h"

class QPagedPaintDevice;

namespace kovw::session {

// A copy of the window at the moment of the hardcopy.
struct HardcopySource {
  QString description;  // the window's caption and the connection's name
  bool text_screen = true;
  // A text screen: its look, its grid (rows of `columns` cells) and the visible part.
  TextScreenLook look;
  std::vector<std::uint32_t> cells;
  int columns = 0;
  TextView view;
  // A graphics window: the picture of the whole drawing area and of the visible area.
  QImage whole;
  QImage visible;

  // The picture a picture format takes: a text screen's visible cells in its colours; a
  // graphics window's whole or visible area.
  QImage picture(int area) const;
  // The text of a text screen's visible cells in a text format (16, 18 or 19).
  std::string text(int format) const;
};

// The bytes of a hardcopy file: text bytes for the text formats, else a 24-bit bitmap file.
// Empty when nothing could be made.
QByteArray hardcopy_file_bytes(const HardcopySource& source, int format, int area);

// Writes `bytes` to `path` through a temporary file that replaces the file only when all was
// written: an existing file survives any failure. Returns 0, or the error of the file system
// (errno when known) on failure; `reason` gets its text.
int save_hardcopy_file(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// Puts the hardcopy on the clipboard: text formats as plain text, else the picture.
void put_hardcopy_on_clipboard(const HardcopySource& source, int format, int area);

// Prints one page onto `device`: margins, heading (unless `settings.no_heading`), footer and
// the window fitted into the rest. `cancelled` is asked while the page is made; true stops the
// job. Returns false when the job was cancelled or the painter could not start.
bool print_hardcopy(QPagedPaintDevice& device, const HardcopySource& source,
                    const HardcopySettings& settings, const HardcopyPageTexts& texts,
                    const std::function<bool()>& cancelled);

}  // namespace kovw::session
