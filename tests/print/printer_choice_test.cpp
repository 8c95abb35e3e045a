#include "print/printer_choice.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "print/print_application.h"
#include "shell/pdf_printer.h"
#include "shell/printers_dialog.h"

namespace kovw::print {
namespace {

TEST(PrinterChoice, ThePdfPrinterIsAlwaysInTheList) {
  test::application();
  const QStringList names = printer_names();
  EXPECT_TRUE(names.contains("PDF"));
  bool listed = false;
  for (const shell::PrinterLine& line : shell::installed_printers())
    listed = listed || line.name == "PDF";
  EXPECT_TRUE(listed);
  // Without printers of the system the PDF printer is the default.
  if (names.size() == 1) {
    EXPECT_EQ(default_printer_name(), "PDF");
  }
}

TEST(PrinterChoice, NamesAreLookedUpInTheListOnly) {
  const QStringList names = {"Laser 1", "laser1", "PDF"};
  EXPECT_EQ(find_printer("laser1", names), "laser1");
  EXPECT_EQ(find_printer("LASER 1", names), "Laser 1");
  EXPECT_EQ(find_printer("pdf", names), "PDF");
  EXPECT_EQ(find_printer("laser1; rm -rf /", names), "");
  EXPECT_EQ(find_printer("", names), "");
}

TEST(PrinterChoice, AUnixPrintCommandNamesItsPrinterAfterDashD) {
  EXPECT_EQ(raw_printer_name("lp -d laser1 -o raw -n 2"), "laser1");
  EXPECT_EQ(raw_printer_name("lp -dlaser2"), "laser2");
  EXPECT_EQ(raw_printer_name("lp -o raw"), "lp -o raw");
  EXPECT_EQ(raw_printer_name("lp -d"), "");
  EXPECT_EQ(raw_printer_name("laser1"), "laser1");
  EXPECT_EQ(raw_printer_name("lpr -d x"), "lpr -d x");
}

TEST(PrinterChoice, JobFilesAreNamedFromOriginDateAndTimeAndNeverTwice) {
  QTemporaryDir dir;
  const QDateTime when(QDate(2026, 12, 11), QTime(9, 5, 7));
  const QString first = job_file_path(dir.path(), "host1:invoice/7", when, "pdf");
  EXPECT_EQ(QFileInfo(first).fileName(), "host1_invoice_7_20261211_090507.pdf");
  EXPECT_TRUE(QFile::exists(first + ".part"));  // taken
  const QString second = job_file_path(dir.path(), "host1:invoice/7", when, "pdf");
  EXPECT_EQ(QFileInfo(second).fileName(), "host1_invoice_7_20261211_090507-2.pdf");
  EXPECT_EQ(QFileInfo(job_file_path(dir.path(), "", when, "prn")).fileName(),
            "job_20261211_090507.prn");
}

TEST(PrinterChoice, PdfFolderFromTheSetting) {
  EXPECT_EQ(shell::pdf_folder("", "/data/kovw"), "/data/kovw/print");
  EXPECT_EQ(shell::pdf_folder("out/pdf  ", "/data/kovw"), "/data/kovw/out/pdf");
  EXPECT_EQ(shell::pdf_folder("/srv/pdf/", "/data/kovw"), "/srv/pdf");
  EXPECT_TRUE(shell::is_pdf_printer_name(" pDf "));
  EXPECT_FALSE(shell::is_pdf_printer_name("PDF2"));
}

}  // namespace
}  // namespace kovw::print
