#pragma once
// The window hardcopy on the GUI thread: one at a time in the process; with parameter bit 0 the
// window goes to the clipboard at once, otherwise the dialog asks what to make of it and the
// choices are kept for the next hardcopy. Printing shows an abort window whose button stops
// the job; the program window is disabled meanwhile and always enabled again.

#include <QString>

#include "session/program/hardcopy_settings.h"
#include "session/view/hardcopy_job.h"

class QPrinter;
class QWidget;

namespace kovw::session {

void window_hardcopy(QWidget* window, const HardcopySource& source, int parameter);

// Output 1 (a file) and 2 (the clipboard) of `settings`. Returns 0, or the number of the
// message shown (40278: the file could not be written, 10054: nothing could be made).
int write_hardcopy(QWidget* owner, const HardcopySource& source, const HardcopySettings& settings);

// Output 0: prints on the settings' printer ("PDF": a PDF file in the PDF printer's folder).
// Returns 0, or the number of the message shown (40276: the printer cannot be used); a
// cancelled job returns -1.
int print_window_hardcopy(QWidget* window, const HardcopySource& source,
                          const HardcopySettings& settings);

// The system's default printer, else the PDF printer.
QString default_hardcopy_printer();

}  // namespace kovw::session
