#pragma once
// The company symbol of the login dialog: the first non-empty "compsym.*" file of the data
// directory in one of the known picture formats.

#include <QImage>
#include <QString>

namespace kovw::shell {

struct CompanySymbol {
  QString path;        // empty when no symbol file exists
  QImage image;        // null when the file could not be converted
  int error = 0;       // the conversion error (with `error_text`)
  QString error_text;  // the reason, for message 40516
};

// The extensions looked for, in this order.
QStringList company_symbol_extensions();

CompanySymbol load_company_symbol(const QString& data_directory);

}  // namespace kovw::shell
