#pragma once
// Link options: LinkState (header level, compression, encryption, time-out, key schedules), which
// every net::Link holds for itself, and the process-wide link data (session key, default net
// time-out, link version word, trace switch). A thread-local LinkState remains for code that
// keeps one link per thread (the demonstration host, tests).

#include <cstdint>
#include <memory>

#include "net/session_key.h"
#include "net/twofish_cipher.h"

namespace kovw::net {

inline constexpr int kDefaultNetTimeoutMs = 10000;

struct LinkState {
  bool encryption_on = false;  // frames sent by this thread are encrypted
  int header_level = 0;        // 0, 1: classic headers; 2 or more: extended with this level
  int net_timeout_ms = kDefaultNetTimeoutMs;
  bool compression_on = false;
  bool level_tracking = false;  // received headers set the header level (2 extended, else 1)
  // The key schedule of the session key, shared by every link and set by link_prepare_keys
  // (null until then): a link that never encrypts costs no schedule of its own.
  std::shared_ptr<const TwofishCipher> cipher;
  std::uint64_t prepared_generation = 0;  // session key generation the schedule belongs to
};

// The calling thread's link state.
LinkState& link_state();

// Sets a link's options from the flags word negotiated at login: header level = low byte,
// compression = bit 0x100, encryption = bit 0x200 when allowed. Returns 1 when encryption was
// switched on, else 0.
int link_set_options(LinkState& state, unsigned flags_word, bool level_tracking,
                     bool encryption_allowed);
// The same for the calling thread's link state.
int link_set_options(unsigned flags_word, bool level_tracking, bool encryption_allowed);

// Derives the session key from the two 16-byte values; with either absent the key is cleared
// (no key). Either way the key schedules of every link are rebuilt before their next use.
void link_set_session_key(const std::uint8_t* client_value, const std::uint8_t* server_value);
bool session_key_present();

// Makes sure the link's schedules hold the current session key. False when there is
// no session key.
bool link_prepare_keys(LinkState& state);

// Process-wide defaults and switches.
int default_net_timeout();
void set_default_net_timeout(int milliseconds);
int link_version_word();
void set_link_version_word(int version_word);
bool link_trace_enabled();
void set_link_trace(bool on);

// A time-out option value as start-up and the environment give it: 1 to 999 are seconds,
// 1000 and more milliseconds, 0 or less the default.
int net_timeout_from_option(long value);

}  // namespace kovw::net
