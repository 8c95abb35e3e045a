// A direct print link: the host's messages go through a command table with a session that has
// the job's printer as its output.
#include "print/direct_print.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <future>

#include "net/link.h"
#include "net/link_names.h"
#include "print/pdf_check.h"
#include "print/print_application.h"
#include "session/program/command_table.h"
#include "session/program/print_output.h"
#include "session/program/program_session.h"

namespace kovw::print {
namespace {

constexpr int kDrawText = 1;  // the test's own messages of the print service
constexpr int kEndPage = 2;

class DirectPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    test::application();
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair_), 0);
    env_.pdf_folder = dir_.filePath("pdf");
    env_.record_wait_ms = 5000;
    header_.mode = 2;
    header_.origin = u"label";
    header_.printer = u"PDF";
    // Handlers that draw on the job's printer as a graphics handler would.
    table_.add(
        net::KWD_PRINT, kDrawText, [](session::ProgramSession& s, const session::Command& c) {
          ASSERT_NE(s.print_output, nullptr);
          QPainter* painter = s.print_output->page();
          ASSERT_NE(painter, nullptr);
          painter->setFont(QFont("Liberation Sans", 12));
          painter->drawText(QPointF(s.print_output->resolution(), s.print_output->resolution()),
                            QString::fromLatin1(reinterpret_cast<const char*>(c.payload.data()),
                                                static_cast<qsizetype>(c.payload.size())));
        });
    table_.add(net::KWD_PRINT, kEndPage, [](session::ProgramSession& s, const session::Command&) {
      s.print_output->end_page();
    });
  }
  void TearDown() override {
    ::close(pair_[0]);
    ::close(pair_[1]);
  }
  std::future<DirectPrintResult> serve() {
    return std::async(std::launch::async, [this] {
      return direct_print_loop(pair_[1], header_, "host", env_, cancel_, &table_);
    });
  }
  void send(int type, const std::string& payload = {}) {
    net::LinkMessage m;
    m.service = net::KWD_PRINT;
    m.type = static_cast<std::uint8_t>(type);
    m.length = static_cast<std::int32_t>(payload.size());
    ASSERT_GT(host_.send(m, payload.empty() ? nullptr : payload.data()).value, 0);
  }

  int pair_[2] = {-1, -1};
  QTemporaryDir dir_;
  PrintEnvironment env_;
  JobHeader header_;
  std::atomic<bool> cancel_{false};
  session::CommandTable table_;
  net::Link host_;
};

TEST_F(DirectPrint, MessagesDrawOnTheJobsPrinterPageByPage) {
  host_.attach(pair_[0]);
  auto served = serve();
  send(kDrawText, "first");
  send(kEndPage);
  send(kDrawText, "second");
  ::shutdown(pair_[0], SHUT_WR);
  const DirectPrintResult result = served.get();
  host_.release();
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.pages, 2);
  const QStringList pdfs = QDir(env_.pdf_folder).entryList({"*.pdf"}, QDir::Files);
  ASSERT_EQ(pdfs.size(), 1);
  const test::PdfText text = test::pdf_text(QDir(env_.pdf_folder).filePath(pdfs[0]));
  EXPECT_EQ(text.pages, 2);
  ASSERT_NE(text.find("second"), nullptr);
  EXPECT_EQ(text.find("second")->page, 2);
}

TEST_F(DirectPrint, ALinkWithoutDrawingLeavesNoFileAndASilentHostTimesOut) {
  env_.record_wait_ms = 200;
  host_.attach(pair_[0]);
  const DirectPrintResult result = serve().get();
  host_.release();
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, 10037);
  EXPECT_EQ(result.error, 10060);
  EXPECT_TRUE(QDir(env_.pdf_folder).entryList(QDir::Files).isEmpty());
}

}  // namespace
}  // namespace kovw::print
