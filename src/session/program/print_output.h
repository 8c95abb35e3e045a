#pragma once
// The printer that the commands of a direct print link draw on. A print job whose header asks
// for direct printing serves its connection as a program link: each message goes through the
// program command dispatcher with a session that has no windows and this output. Handlers that
// draw for a host (graphics output) use it in place of a window.

#include <QSize>
#include <QSizeF>

class QPainter;

namespace kovw::session {

class PrintOutput {
 public:
  virtual ~PrintOutput() = default;
  // Opens the printer now (the first page() does it otherwise); false when it cannot be had
  // (the failure was reported).
  virtual bool open() = 0;
  // Before the first page: the orientation, 1 portrait or 2 landscape.
  virtual void set_orientation(int orientation) = 0;
  // Before the first page: the paper (portrait, millimetres), and the `n`-th source of the
  // printer's sources (from 1). False when the printer does not take it.
  virtual bool set_paper(double width_mm, double height_mm) = 0;
  virtual bool set_source(int n) = 0;
  // The printable part of a page with the orientation set, in dots and in millimetres; empty
  // before the printer is open.
  virtual QSize printable_dots() const = 0;
  virtual QSizeF printable_mm() const = 0;
  // The painter of the current page: the document starts with the first call, and a new page
  // when the last one was ended. Null when the printer cannot be opened or the job was
  // cancelled.
  virtual QPainter* page() = 0;
  // Ends the current page; the next page() starts a new one.
  virtual void end_page() = 0;
  // Dots per inch of the printer.
  virtual int resolution() const = 0;
  virtual bool cancelled() const = 0;
};

}  // namespace kovw::session
