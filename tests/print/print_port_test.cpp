// Print jobs reach the service through the print port and through the links of print events.
#include "print/print_port.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#include "foundation/message_table.h"
#include "net/tcp_socket.h"
#include "print/job_records.h"
#include "print/print_application.h"
#include "print/print_service.h"
#include "shell/program_link_handoff.h"
#include "shell/settings_store.h"
#include "shell/startup.h"

namespace kovw::print {
namespace {

// Sends a raw job for the PDF printer on `socket` and returns the status codes it got.
std::vector<int> send_raw_job(int socket) {
  auto send = [socket](const std::vector<std::uint8_t>& bytes) {
    net::sc_send(socket, static_cast<int>(bytes.size()), bytes.data(), 5000);
  };
  send(build_print_record(build_job_header(0, "porttest", "PDF", "raw")));
  const std::string data = "raw data";
  send(build_print_record({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}));
  send(build_end_record());
  std::vector<int> codes;
  for (int i = 0; i < 2; ++i) {
    StatusRecord record{};
    if (net::sc_recv(socket, 128, record.data(), net::kRecvExact, 10000) != 128) break;
    codes.push_back(parse_status_record(record).code);
  }
  return codes;
}

class PrintEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    test::application();
    foundation::set_language(foundation::kLanguageEnglish);
    shell::shell_state().directories.data = dir_.path().toStdString();
    shell::shell_state().directories.temp = dir_.path().toStdString();
  }
  void TearDown() override {
    EXPECT_TRUE(wait_for_print_jobs(10000));
    shell::shell_state().directories = {};
  }
  QStringList printed() { return QDir(dir_.filePath("print")).entryList(QDir::Files); }
  QTemporaryDir dir_;
};

TEST_F(PrintEntry, JobsArriveOnThePrintPort) {
  PrintPort port;
  ASSERT_TRUE(port.open(19400, true));
  ASSERT_GE(port.port(), 19400);
  std::vector<int> codes;
  std::thread host([&] {
    const int socket = net::sc_connect("127.0.0.1", port.port());
    codes = send_raw_job(socket);
    net::sc_close(socket);
  });
  // The accept runs in this thread's event loop.
  QTRY_VERIFY_WITH_TIMEOUT(!printed().isEmpty(), 10000);
  host.join();
  EXPECT_EQ(codes, (std::vector<int>{kStatusAccepted, kStatusFinished}));
}

TEST_F(PrintEntry, AFixedPortIsServedByOneWorkstationOnly) {
  int free_port = 0;
  {
    PrintPort probe;
    ASSERT_TRUE(probe.open(19450, true));
    free_port = probe.port();
  }
  PrintPort first;
  ASSERT_TRUE(first.open(free_port, false));
  PrintPort second;
  EXPECT_FALSE(second.open(free_port, false));  // no message: the other one serves it
  EXPECT_EQ(second.port(), 0);
}

TEST_F(PrintEntry, PrintEventLinksBecomeJobs) {
  install_print_service(nullptr, false);
  EXPECT_EQ(shell::shell_state().print_port, 0);
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  shell::NewLink link;
  link.kind = shell::LinkKind::Print;
  link.socket = pair[1];
  link.peer = "hostsim";
  shell::hand_over_link(std::move(link));
  EXPECT_EQ(send_raw_job(pair[0]), (std::vector<int>{kStatusAccepted, kStatusFinished}));
  ::close(pair[0]);
  EXPECT_EQ(printed().size(), 1);
}

}  // namespace
}  // namespace kovw::print
