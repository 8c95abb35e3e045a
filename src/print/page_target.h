#pragma once
// Where the painter device's pages go: a printer (QPrinter, through the system's print
// service) or a PDF file (QPdfWriter). The two differ in what they can set beyond the page
// layout (duplex, paper source) and in how a cancelled document is discarded.

#include <QList>
#include <QString>
#include <memory>

class QPagedPaintDevice;
class QPrinter;
class QPdfWriter;

namespace kovw::print {

class PageTarget {
 public:
  virtual ~PageTarget() = default;
  virtual QPagedPaintDevice* device() = 0;
  virtual int resolution() const = 0;
  // Duplex: 1 simplex, 2 long edge, 3 short edge; false when the target has none.
  virtual bool set_duplex(int mode) = 0;
  virtual int duplex() const = 0;
  // Paper sources by number (1 upper ... 7 automatic ...); empty when the target has none.
  virtual QList<int> paper_sources() const = 0;
  virtual bool set_paper_source(int number) = 0;
  // Before the painter ends a document that is to be thrown away (cancelled, failed).
  virtual void abort() {}
  // After the painter ended: keep the document, or throw it away. False when keeping failed.
  virtual bool finish(bool keep) = 0;
  // The printer name, or the file written.
  virtual QString name() const = 0;
};

// A PDF file: written under a temporary name beside `path` and renamed to `path` when the
// document is complete; removed when it is discarded or never finished. finish() is the end:
// the target draws nothing after it.
class PdfPageTarget : public PageTarget {
 public:
  PdfPageTarget(const QString& path, const QString& title, int resolution = 600);
  ~PdfPageTarget() override;
  QPagedPaintDevice* device() override;
  int resolution() const override;
  bool set_duplex(int) override { return false; }
  int duplex() const override { return 1; }
  QList<int> paper_sources() const override { return {}; }
  bool set_paper_source(int) override { return false; }
  bool finish(bool keep) override;
  QString name() const override { return path_; }
  QString temporary_path() const { return temporary_; }

 private:
  QString path_;
  QString temporary_;
  std::unique_ptr<QPdfWriter> writer_;
  bool finished_ = false;
};

// A printer of the system, by its name in the printer list.
class PrinterPageTarget : public PageTarget {
 public:
  PrinterPageTarget(const QString& printer_name, const QString& document_name);
  // A printer set up elsewhere (the print dialog).
  explicit PrinterPageTarget(std::unique_ptr<QPrinter> printer);
  ~PrinterPageTarget() override;
  bool valid() const;
  QPrinter& printer() { return *printer_; }
  QPagedPaintDevice* device() override;
  int resolution() const override;
  bool set_duplex(int mode) override;
  int duplex() const override;
  QList<int> paper_sources() const override;
  bool set_paper_source(int number) override;
  void abort() override;
  bool finish(bool keep) override;
  QString name() const override;

 private:
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace kovw::print
