#include "net/socket_errors.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

#include "net/last_socket_error.h"

#include <thread>

namespace kovw::net {
namespace {

TEST(SocketErrors, MapsErrnoToTheWinsockNumbersUsersSee) {
  struct Row {
    int errno_value;
    int expected;
  };
  const Row rows[] = {
      {0, 0},
      {EINTR, 10004},
      {EACCES, 10013},
      {EINVAL, 10022},
      {EMFILE, 10024},
      {EAGAIN, 10035},
      {EWOULDBLOCK, 10035},
      {EINPROGRESS, 10036},
      {ENOTSOCK, 10038},
      {EADDRINUSE, 10048},
      {EADDRNOTAVAIL, 10049},
      {ENETDOWN, 10050},
      {ENETUNREACH, 10051},
      {ECONNABORTED, 10053},
      {ECONNRESET, 10054},
      {EPIPE, 10054},
      {ENOBUFS, 10055},
      {ENOTCONN, 10057},
      {ETIMEDOUT, 10060},
      {ECONNREFUSED, 10061},
      {EHOSTUNREACH, 10065},
      // No socket meaning: the C library number, shifted into the C library range.
      {ENOENT, 20000 + ENOENT},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(socket_error_from_errno(row.errno_value), row.expected)
        << "errno " << row.errno_value;
  }
}

TEST(SocketErrors, MapsResolverResults) {
  EXPECT_EQ(socket_error_from_resolver(0, 0), 0);
  EXPECT_EQ(socket_error_from_resolver(EAI_NONAME, 0), 11001);
  EXPECT_EQ(socket_error_from_resolver(EAI_AGAIN, 0), 11002);
  EXPECT_EQ(socket_error_from_resolver(EAI_FAIL, 0), 11003);
  EXPECT_EQ(socket_error_from_resolver(EAI_SYSTEM, ECONNREFUSED), 10061);
  EXPECT_EQ(socket_error_from_resolver(EAI_SYSTEM, 0), 11003);
}

TEST(LastSocketError, IsKeptPerThread) {
  set_last_socket_error(10054);
  int seen_in_other_thread = -1;
  std::thread other([&] {
    seen_in_other_thread = last_socket_error();
    set_last_socket_error_from_errno(ETIMEDOUT);
  });
  other.join();
  EXPECT_EQ(seen_in_other_thread, 0);
  EXPECT_EQ(last_socket_error(), 10054);
  EXPECT_EQ(set_last_socket_error_from_errno(ECONNREFUSED), 10061);
  EXPECT_EQ(last_socket_error(), 10061);
}

TEST(LastSocketError, LogTextStartsWithTheCode) {
  EXPECT_EQ(socket_error_line(10054).rfind("10054: ", 0), 0u);
}

}  // namespace
}  // namespace kovw::net
