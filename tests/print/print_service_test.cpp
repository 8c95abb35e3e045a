// Print connections served end to end over a socket pair: job headers, spooling, printing to
// the PDF printer, raw data, direct print links, status records and time-outs.
#include "print/print_service.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "foundation/message_table.h"
#include "net/link.h"
#include "net/link_names.h"
#include "net/tcp_socket.h"
#include "print/job_records.h"
#include "print/pdf_check.h"
#include "print/print_application.h"
#include "protocol/program/start_messages.h"

using namespace std::string_literals;

namespace kovw::print {
namespace {

std::span<const std::uint8_t> bytes_of(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

class PrintService : public ::testing::Test {
 protected:
  void SetUp() override {
    test::application();
    foundation::set_language(foundation::kLanguageEnglish);
    connect();
    env_.cache_directory = dir_.filePath("cache").toStdString();
    env_.temporary_directory = dir_.path().toStdString();
    env_.pdf_folder = dir_.filePath("pdf");
    env_.version_word = 0x070305;
    env_.computer_name = "station7";
    env_.first_wait_ms = 5000;
    env_.record_wait_ms = 5000;
    env_.dialogs_allowed = false;
  }
  void TearDown() override {
    finish();
    if (host_ >= 0) ::close(host_);
    if (workstation_ >= 0) ::close(workstation_);
  }

  // A new connection between host and workstation (the old one is closed).
  void connect() {
    if (host_ >= 0) ::close(host_);
    if (workstation_ >= 0) ::close(workstation_);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    host_ = pair[0];
    workstation_ = pair[1];
  }

  void start() {
    service_ = std::thread([this] { print_service(workstation_, "hostsim", env_, cancel_); });
  }
  void finish() {
    if (service_.joinable()) service_.join();
  }

  void send(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(::write(host_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  void send_record(const std::string& payload) { send(build_print_record(bytes_of(payload))); }
  void send_header(int mode, const std::string& printer, const std::string& format) {
    send(build_print_record(build_job_header(mode, "invoice", printer, format)));
  }
  void end_job() { send(build_end_record()); }

  // The next status record; code -1 when none came.
  StatusReport status(StatusRecord* raw = nullptr) {
    StatusRecord record{};
    const int n =
        net::sc_recv(host_, static_cast<int>(record.size()), record.data(), net::kRecvExact, 10000);
    if (n != static_cast<int>(record.size())) return {};
    if (raw) *raw = record;
    return parse_status_record(record);
  }
  // True when the workstation closed its end without sending more.
  bool closed_without_status() {
    std::uint8_t byte;
    return net::sc_recv(host_, 1, &byte, net::kRecvExact, 10000) == 0;
  }

  QStringList files() { return QDir(env_.pdf_folder).entryList(QDir::Files); }

  QTemporaryDir dir_;
  PrintEnvironment env_;
  int host_ = -1;
  int workstation_ = -1;
  std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
  std::thread service_;
};

TEST_F(PrintService, ASpooledJobPrintsToThePdfPrinterAndAnswersAcceptedThenFinished) {
  start();
  send_header(0, "pdf", "kovwp");
  EXPECT_EQ(status().text, "Request invoice on printer \"pdf\" accepted");
  send_record("ABC");
  send_record("DE\f");
  end_job();
  const StatusReport done = status();
  EXPECT_EQ(done.code, kStatusFinished);
  EXPECT_EQ(done.text, "Printing on \"pdf\" for invoice finished.");
  finish();
  const QStringList pdfs = files();
  ASSERT_EQ(pdfs.size(), 1) << pdfs.join(' ').toStdString();
  EXPECT_TRUE(pdfs[0].startsWith("invoice_")) << pdfs[0].toStdString();
  EXPECT_TRUE(pdfs[0].endsWith(".pdf"));
  const test::PdfText text = test::pdf_text(QDir(env_.pdf_folder).filePath(pdfs[0]));
  EXPECT_EQ(text.pages, 1);
  EXPECT_NE(text.find("ABCDE"), nullptr);
  // The spool file went with the job.
  EXPECT_TRUE(QDir(dir_.filePath("cache")).entryList(QDir::Files).isEmpty());
}

TEST_F(PrintService, AnInvalidModeIsRefusedAndTheConnectionClosed) {
  start();
  send_header(4, "pdf", "kovwp");
  StatusRecord raw;
  const StatusReport refused = status(&raw);
  EXPECT_EQ(refused.code, kStatusError);
  EXPECT_EQ(refused.text, "Opcode 4 unknown.");
  EXPECT_EQ(raw[127], 0);
  finish();
  ::shutdown(workstation_, SHUT_RDWR);
  EXPECT_TRUE(closed_without_status());
}

TEST_F(PrintService, DataThatEndsAtOnceGivesAnEmptyDocumentAndFinished) {
  start();
  send_header(0, "PDF", "kovwp");
  EXPECT_EQ(status().code, kStatusAccepted);
  end_job();
  EXPECT_EQ(status().code, kStatusFinished);
  finish();
  EXPECT_TRUE(files().isEmpty());  // no page, no file, no file part left
}

TEST_F(PrintService, RawDataPassesUntouched) {
  const std::string data = "\x1b(job 7)\r\n\x00\x01\xff raw"s;
  struct Case {
    const char* printer;
    std::string data;
    const char* extension;
  } cases[] = {{"standard", data, ".prn"},  // no printers here: the PDF printer is the default
               {"lp -d PDF -o raw", data, ".prn"},
               {"PDF", "%PDF-1.4\n%fake\n", ".pdf"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printer);
    connect();
    start();
    send_header(0, c.printer, "raw");
    EXPECT_EQ(status().code, kStatusAccepted);
    send_record(c.data.substr(0, 5));
    send_record(c.data.substr(5));
    end_job();
    EXPECT_EQ(status().code, kStatusFinished);
    finish();
    const QStringList written = files();
    ASSERT_EQ(written.size(), 1);
    EXPECT_TRUE(written[0].endsWith(c.extension));
    QFile file(QDir(env_.pdf_folder).filePath(written[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), c.data);
    file.remove();
  }
}

TEST_F(PrintService, AnUnknownPrinterIsAnError) {
  start();
  send_header(0, "no such printer", "kovwp");
  EXPECT_EQ(status().code, kStatusAccepted);
  send_record("text");
  end_job();
  const StatusReport failed = status();
  EXPECT_EQ(failed.code, kStatusError);
  EXPECT_EQ(failed.text, "Error 40311 while printing");
}

TEST_F(PrintService, APeerThatStopsSendingTimesOutWithAStatusAndWhatCameIsPrinted) {
  env_.record_wait_ms = 300;
  start();
  send_header(0, "PDF", "kovwp");
  EXPECT_EQ(status().code, kStatusAccepted);
  send_record("Partial\r\n");
  const StatusReport timed_out = status();
  EXPECT_EQ(timed_out.code, kStatusError);
  EXPECT_EQ(timed_out.text, "Error -99/10060 while transmitting");
  finish();
  const QStringList pdfs = files();
  ASSERT_EQ(pdfs.size(), 1);
  EXPECT_NE(test::pdf_text(QDir(env_.pdf_folder).filePath(pdfs[0])).find("Partial"), nullptr);
}

TEST_F(PrintService, AMalformedJobPrintsWhatWasValidAndReportsTheError) {
  start();
  send_header(0, "PDF", "kovwp");
  EXPECT_EQ(status().code, kStatusAccepted);
  send_record("Valid\r\n");
  send({0x01, 0x00, 'c', 'u', 't'});  // announces 254 bytes, then the host goes away
  ::shutdown(host_, SHUT_WR);
  const StatusReport failed = status();
  EXPECT_EQ(failed.code, kStatusError);
  EXPECT_TRUE(failed.text.starts_with("Error ")) << failed.text;
  finish();
  const QStringList pdfs = files();
  ASSERT_EQ(pdfs.size(), 1);
  const test::PdfText text = test::pdf_text(QDir(env_.pdf_folder).filePath(pdfs[0]));
  EXPECT_NE(text.find("Valid"), nullptr);
  EXPECT_EQ(text.find("cut"), nullptr);
}

TEST_F(PrintService, AHostThatSendsNothingLosesTheJobWithoutAStatus) {
  env_.first_wait_ms = 200;
  start();
  finish();
  ::shutdown(workstation_, SHUT_RDWR);
  EXPECT_TRUE(closed_without_status());
}

TEST_F(PrintService, ADirectJobIsAcceptedWithTheWorkstationsIdentityAndServedAsAProgramLink) {
  start();
  send_header(2, "PDF", "kovwp");
  StatusRecord raw;
  const StatusReport accepted = status(&raw);
  EXPECT_EQ(accepted.code, kStatusAccepted);
  const std::string text = "Request invoice on printer \"PDF\" accepted";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw.data()) + 1, text.size()), text);
  const std::size_t at = 1 + text.size();
  EXPECT_EQ(raw[at], 0);
  EXPECT_EQ((std::vector<std::uint8_t>(raw.begin() + at + 1, raw.begin() + at + 6)),
            (std::vector<std::uint8_t>{0x00, 0x07, 0x03, 0x05, 0x01}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw.data()) + at + 6), "station7");
  EXPECT_EQ(raw[at + 6 + 9], ' ');  // padded with blanks after the explicit length

  // A keep-alive is skipped; a request is answered on the link.
  net::Link link(host_);
  net::LinkMessage keep_alive;
  keep_alive.service = net::KWD_CONNECT;
  keep_alive.type = net::KWK_CONNECT;
  EXPECT_GT(link.send(keep_alive, nullptr).value, 0);
  net::LinkMessage ask;
  ask.service = net::KWD_KOMM;
  ask.type = net::KWK_KGETWINID;
  EXPECT_GT(link.send(ask, nullptr).value, 0);
  EXPECT_EQ(link.receive(net::kSkipKeepAlive).value, 1);
  EXPECT_EQ(link.message().type, net::KWK_KGETWINID);
  ::shutdown(host_, SHUT_WR);
  StatusRecord end{};
  ASSERT_EQ(net::sc_recv(host_, 128, end.data(), net::kRecvExact, 10000), 128);
  EXPECT_EQ(parse_status_record(end).code, kStatusFinished);
  host_ = link.release();
}

TEST_F(PrintService, ACancelledJobIsNotReportedAsFinished) {
  cancel_->store(true);
  start();
  send_header(1, "PDF", "kovwp");
  EXPECT_EQ(status().code, kStatusAccepted);
  send_record("Not printed\f");
  end_job();
  const StatusReport cancelled = status();
  EXPECT_EQ(cancelled.code, kStatusError);
  EXPECT_EQ(cancelled.text, "Error -1 while printing");
  finish();
  EXPECT_TRUE(files().isEmpty());
  // The job window came and went.
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(PrintService, JobsRunOnThreadsOfTheirOwnAndEndWhenCancelled) {
  start_print_job(workstation_, "hostsim", env_);
  workstation_ = ::dup(host_);  // the job owns its socket now; TearDown closes this one
  EXPECT_EQ(running_print_jobs(), 1);
  cancel_print_jobs();
  EXPECT_TRUE(wait_for_print_jobs(10000));
  EXPECT_EQ(running_print_jobs(), 0);
}

}  // namespace
}  // namespace kovw::print
