#pragma once
// Waiting for a socket to become readable or writable, with poll.

namespace kovw::net {

// Waits until `fd` has one of `events` (POLLIN, POLLOUT) or an error or hang-up, at most
// timeout_ms (negative: without limit). An interrupted wait continues with the time left.
// Returns > 0 ready, 0 time-out, < 0 failure with errno set.
int wait_for_socket(int fd, short events, int timeout_ms);

}  // namespace kovw::net
