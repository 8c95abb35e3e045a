#include "print/page_target.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVariant>

namespace kovw::print {

PdfPageTarget::PdfPageTarget(const QString& path, const QString& title, int resolution)
    : path_(path), temporary_(path + QStringLiteral(".part")) {
  writer_ = std::make_unique<QPdfWriter>(temporary_);
  writer_->setResolution(resolution);
  writer_->setTitle(title);
  writer_->setCreator(QStringLiteral("KOVW"));
  // The whole sheet is printable: the print language places everything itself.
  writer_->setPageMargins(QMarginsF(0, 0, 0, 0));
}

PdfPageTarget::~PdfPageTarget() {
  // A document that was never finished is not complete: its temporary file goes.
  if (!finished_) finish(false);
}

QPagedPaintDevice* PdfPageTarget::device() {
  return writer_.get();
}

int PdfPageTarget::resolution() const {
  return writer_->resolution();
}

bool PdfPageTarget::finish(bool keep) {
  if (finished_) return false;
  finished_ = true;
  writer_.reset();  // closes the file
  if (!QFile::exists(temporary_)) return !keep;
  if (!keep) return QFile::remove(temporary_);
  QFile::remove(path_);
  return QFile::rename(temporary_, path_);
}

PrinterPageTarget::PrinterPageTarget(const QString& printer_name, const QString& document_name)
    : printer_(std::make_unique<QPrinter>(QPrinterInfo::printerInfo(printer_name),
                                          QPrinter::HighResolution)) {
  printer_->setDocName(document_name);
  printer_->setFullPage(false);
}

PrinterPageTarget::PrinterPageTarget(std::unique_ptr<QPrinter> printer)
    : printer_(std::move(printer)) {}

PrinterPageTarget::~PrinterPageTarget() = default;

bool PrinterPageTarget::valid() const {
  return printer_ && printer_->isValid();
}

QPagedPaintDevice* PrinterPageTarget::device() {
  return printer_.get();
}

int PrinterPageTarget::resolution() const {
  return printer_->resolution();
}

bool PrinterPageTarget::set_duplex(int mode) {
  const QPrinter::DuplexMode wanted = mode == 2   ? QPrinter::DuplexLongSide
                                      : mode == 3 ? QPrinter::DuplexShortSide
                                                  : QPrinter::DuplexNone;
  printer_->setDuplex(wanted);
  return printer_->duplex() == wanted;
}

int PrinterPageTarget::duplex() const {
  switch (printer_->duplex()) {
    case QPrinter::DuplexLongSide:
      return 2;
    case QPrinter::DuplexShortSide:
      return 3;
    default:
      return 1;
  }
}

// Source numbers count from 1 (upper) where the printer's sources count from 0.
QList<int> PrinterPageTarget::paper_sources() const {
  QList<int> numbers;
  const QVariant sources = printer_->printEngine()->property(QPrintEngine::PPK_PaperSources);
  for (const QVariant& source : sources.toList()) numbers.append(source.toInt() + 1);
  return numbers;
}

bool PrinterPageTarget::set_paper_source(int number) {
  if (number <= 0) return false;
  printer_->setPaperSource(static_cast<QPrinter::PaperSource>(number - 1));
  return true;
}

void PrinterPageTarget::abort() {
  printer_->abort();
}

bool PrinterPageTarget::finish(bool keep) {
  return !keep || printer_->printerState() != QPrinter::Error;
}

QString PrinterPageTarget::name() const {
  return printer_->printerName();
}

}  // namespace kovw::print
