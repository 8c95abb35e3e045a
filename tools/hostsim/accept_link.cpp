#include "accept_link.h"

#include <poll.h>

#include "net/tcp_socket.h"

namespace hostsim {

int accept_workstation(int listen_socket, int wait_ms, const std::atomic<bool>& stop) {
  constexpr int kPollSliceMs = 20;
  int socket = -1;
  for (int waited = 0; socket < 0 && waited < wait_ms && !stop; waited += kPollSliceMs) {
    pollfd fd{listen_socket, POLLIN, 0};
    if (::poll(&fd, 1, kPollSliceMs) > 0) socket = kovw::net::sc_accept(listen_socket);
  }
  kovw::net::sc_close(listen_socket);
  return socket;
}

}  // namespace hostsim
