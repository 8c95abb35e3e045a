// The real workstation prints what the demonstration daemon sends: a print event with the
// sample invoice, a direct print link, and the invoice on the workstation's print port; the
// PDF printer writes the files into the data directory's "print" folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "print/pdf_check.h"
#include "support/workstation_process.h"

namespace kovw::print {
namespace {

class PrintEndToEnd : public kovw::test::DaemonAndWorkstation<> {
 protected:
  int start_daemon(const QByteArray& events) {
    const QString script = write("events.script", events);
    daemon_.start(QStringLiteral(HOSTSIM_BINARY),
                  {"--port", "0", "--user", "anna:geheim", "--exit-after-logout", "--script",
                   script, "--start-run-ms", "60000", "--log", frames_path()});
    if (!daemon_.waitForStarted(10000)) return -1;
    for (int waited = 0; waited < 10000; waited += 20) {
      if (daemon_.canReadLine()) {
        const QByteArray line = daemon_.readLine().trimmed();
        if (line.startsWith("listening on port ")) return line.mid(18).toInt();
      }
      daemon_.waitForReadyRead(20);
    }
    return -1;
  }
  QString frames_path() const { return home_.path() + "/frames.log"; }
  QString read(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }
};

TEST_F(PrintEndToEnd, PrintEventsDirectLinksAndThePrintPort) {
  const QByteArray invoice = KOVW_SOURCE_DIR "/tools/hostsim/invoice.kovwp";
  const int port =
      start_daemon("print \"" + invoice + "\" PDF\n" + "print-direct PDF\n" + "print-port \"" +
                   invoice + "\" pdf kovwp 0\n" + "wait-print 60000\nKSTOP 0\n");
  ASSERT_GT(port, 0);
  const QString data = home_.path() + "/data";
  kovw_.start(QStringLiteral(KOVW_BINARY),
              {"-r", "127.0.0.1", "-v", QString::number(port), "-b", "anna//geheim", "-l", "-e",
               "-ok", "-t", "0x201", "-z", data});
  ASSERT_TRUE(kovw_.waitForStarted(10000));
  ASSERT_TRUE(kovw_.waitForFinished(90000)) << read(data + "/kovw.log").toStdString();
  EXPECT_EQ(kovw_.exitCode(), 0) << kovw_.readAllStandardError().toStdString();
  ASSERT_TRUE(daemon_.waitForFinished(10000));

  const QString frames = read(frames_path());
  const QString log = read(data + "/kovw.log");
  // The print event, and the print port the login announced.
  EXPECT_TRUE(frames.contains("print 1000: recv KWK_KPRINT")) << frames.toStdString();
  EXPECT_TRUE(frames.contains(
      "print 1000: status 2 \"Request hostsim:invoice.kovwp on printer \"PDF\" accepted\""))
      << frames.toStdString();
  EXPECT_TRUE(frames.contains("print 1000: status 0")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("print 1001: status 2")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("version=0x00070305 flag=1 computer=")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("print 1001: recv KWD_KOMM/KWK_KGETWINID")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("print 1001: status 0")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("print 1002: connected to the print port")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("print 1002: status 0")) << frames.toStdString();
  EXPECT_TRUE(log.contains("New client ok.")) << log.toStdString();

  const QDir folder(data + "/print");
  const QStringList pdfs = folder.entryList({"*.pdf"}, QDir::Files);
  ASSERT_EQ(pdfs.size(), 2) << folder.entryList().join(' ').toStdString();
  for (const QString& pdf : pdfs) {
    EXPECT_TRUE(pdf.startsWith("hostsim_invoice_kovwp_")) << pdf.toStdString();
    const test::PdfText text = test::pdf_text(folder.filePath(pdf));
    EXPECT_EQ(text.pages, 2);
    EXPECT_NE(text.find("Rechnung"), nullptr);
  }
  EXPECT_TRUE(folder.entryList({"*.part"}, QDir::Files).isEmpty());
}

}  // namespace
}  // namespace kovw::print
