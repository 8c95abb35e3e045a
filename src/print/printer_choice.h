#pragma once
// Which printer a job prints on. A printer name from the host is only ever looked up in the
// printer list (the system's printers and the PDF printer); it never reaches a shell or a
// command line.

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kovw::print {

// The system's printers, and the PDF printer unless the system has one of that name.
QStringList printer_names();
// The system's default printer; the PDF printer when the system has no printer.
QString default_printer_name();
// The name in `names` that `wanted` stands for: the same name, else the same in any case;
// empty when there is none.
QString find_printer(const QString& wanted, const QStringList& names);
// For raw data, a name that reads like a Unix print command ("lp -d laser1 -o raw") stands for
// the printer after its -d option; any other name stays.
QString raw_printer_name(const QString& name);

// A new file in `folder` for a job of `origin` at `when`: the origin's letters and digits (others
// become '_'), the date and time, a number when the name is taken, and `extension`. Its
// temporary name (the path with ".part") is created empty, so it is the caller's; empty when
// no name could be taken.
QString job_file_path(const QString& folder, const QString& origin, const QDateTime& when,
                      const QString& extension);

}  // namespace kovw::print
