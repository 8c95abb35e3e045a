#pragma once
// The printer that writes PDF files: always in the printer list under this name (any case),
// it writes each job as a PDF file into the folder of the setting "PDF Folder" (default:
// "print" in the data directory). On a machine without any printer it is the default.

#include <QString>
#include <string>

namespace kovw::shell {

inline constexpr const char* kPdfPrinterName = "PDF";

bool is_pdf_printer_name(const QString& name);

// The folder of the PDF printer from the setting's text (empty: "print" in `data_directory`;
// a relative path counts from the data directory; logical paths are resolved).
QString pdf_folder(const std::string& setting, const std::string& data_directory);

}  // namespace kovw::shell
