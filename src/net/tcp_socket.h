#pragma once
// The TCP socket layer: stream sockets over POSIX, waits with poll. Every operation returns a
// non-negative value on success and a negative layer code on failure, stores the system
// error in the thread's last socket error (last_socket_error.h) and, when the error logging
// switch is on, writes one log line. The layer never interprets the bytes it moves.

#include <array>
#include <span>

namespace kovw::net {

// Layer error codes (returned as they are, i.e. negative).
inline constexpr int kScBadSocket = -1;      // sc_send with a negative socket
inline constexpr int kScListenSocket = -21;  // sc_listen: creating the socket
inline constexpr int kScListenBind = -22;    // sc_listen: binding the port
inline constexpr int kScListen = -23;        // sc_listen: listen
inline constexpr int kScAccept = -24;        // sc_accept, sc_accna
inline constexpr int kScSocket = -29;        // sc_socket
inline constexpr int kScConnect = -33;       // sc_verb_to: connecting or waiting for it
inline constexpr int kScResolve = -34;       // sc_verb_to: host name not resolved
inline constexpr int kScSend = -40;          // sc_send, sc_send_all: failed or timed out
inline constexpr int kScRecv = -41;          // sc_recv: receiving or waiting failed
inline constexpr int kScTimeout = -99;       // sc_verb_to, sc_recv: time-out (last error 258)

// Modes of sc_recv.
inline constexpr int kRecvExact = 0;  // loop until `size` bytes are there or the peer closes
inline constexpr int kRecvAny = 2;    // one receive: whatever has arrived (1 to size bytes)

// Options of sc_clwait.
inline constexpr int kOptDontLinger = 0;
inline constexpr int kOptLingerReset = 1;  // linger 0 s: closing resets the connection
inline constexpr int kOptLinger10 = 2;
inline constexpr int kOptLinger100 = 3;
inline constexpr int kOptNoDelay = 4;  // Nagle algorithm off
inline constexpr int kOptDelay = 5;    // Nagle algorithm on
inline constexpr int kOptUnknownResult = 128;

// The error logging switch (process-wide, initially 0): bit value 1 enables the failure log
// lines. Changing it logs "sockcom: Testmodus %d %sktiviert.". The failure lines are also
// written while the verbose flag has the transmission bit (0x2).
void sc_set_error_logging(int value);
int sc_error_logging();

// A TCP stream socket of the IPv4 family, close-on-exec. Returns the socket or -29.
int sc_socket();

// A listening socket on 0.0.0.0:port (SO_REUSEADDR, maximum backlog). With `port_out`, a
// port in use makes it try the next higher port; the port actually bound is stored there.
// Returns the socket, -21, -22 or -23.
int sc_listen(int port, int* port_out);

// Accepts one connection that is already waiting (never waits: without one it fails with
// last error 10035) and switches the Nagle algorithm off on it. Returns the socket or -24.
int sc_accept(int listen_socket);

// As sc_accept, and delivers the peer's name (or dotted address), cut to name_out.size() - 1
// characters and terminated, and the four bytes of its IPv4 address, most significant first.
// Either output may be empty / null.
int sc_accna(int listen_socket, std::span<char> name_out, std::array<int, 4>* address_out);

// sc_socket, a blocking sc_verb_to without time-out, Nagle off. On failure the socket is
// closed and the failing step's code returned.
int sc_connect(const char* host, int port);

// sc_socket, then sc_verb_to with the time-out; the socket stays non-blocking.
int sc_connect_to(const char* host, int port, int timeout_ms);

// Resolves `host` (empty or null: "localhost"; a dotted address is used as it is) and
// connects; with timeout_ms not 0 the wait is limited and the socket left non-blocking.
// Returns 0, -33, -34 or -99.
int sc_verb_to(int socket, const char* host, int port, int timeout_ms);

// Sends all `length` bytes (-1: `data` is a terminated text). With timeout_ms not 0 the
// socket is non-blocking for the call, each chunk waits at most timeout_ms for writability
// (running out gives last error 10004) and blocking mode is restored on success; 0 waits
// without limit. Returns length, -1 or -40.
int sc_send(int socket, int length, const void* data, int timeout_ms);

// Blocking send of all bytes (length -1 as above), no time-out. Returns length or -40.
int sc_send_all(int socket, int length, const void* data);

// Receives into buffer (at most size bytes) in mode kRecvExact or kRecvAny (any other mode
// is a single receive like kRecvAny). With wait_ms not 0 every receive waits at most wait_ms
// for data. Returns the bytes received (0: the peer closed before anything arrived), -41 or
// -99 (last error 258).
int sc_recv(int socket, int size, void* buffer, int mode, int wait_ms);

// Close the socket; the two are the same.
int sc_close(int socket);
int sc_close_unl(int socket);

// Sets one socket option (see kOpt*); returns the system call's result, 128 for an unknown
// option.
int sc_clwait(int socket, int option);

// which == 1: the local end, otherwise the remote end. Writes the dotted address (at least
// 16 bytes) and the port in host order when given. Returns 2 on success, the system call's
// non-zero result on failure, -1 with errno EINVAL when the address is not IPv4.
int sc_addr(int socket, int which, char* address_out, int* port_out);

// Bytes that can be read without blocking; -1 on failure (last error stored).
int sc_avail(int socket);

}  // namespace kovw::net
