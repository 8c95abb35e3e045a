#include "net/link_state.h"

#include <atomic>
#include <mutex>

namespace kovw::net {

namespace {

struct SessionKeyStore {
  std::mutex mutex;
  SessionKey key{};
  bool present = false;
  std::shared_ptr<const TwofishCipher> cipher;  // the key's schedule while one is present
  std::atomic<std::uint64_t> generation{1};     // schedules prepared from generation 0 are stale
};

SessionKeyStore& key_store() {
  static SessionKeyStore store;
  return store;
}

std::atomic<int> g_default_net_timeout{kDefaultNetTimeoutMs};
std::atomic<int> g_link_version_word{0};
std::atomic<bool> g_trace{false};

}  // namespace

LinkState& link_state() {
  thread_local LinkState state;
  return state;
}

int link_set_options(unsigned flags_word, bool level_tracking, bool encryption_allowed) {
  return link_set_options(link_state(), flags_word, level_tracking, encryption_allowed);
}

int link_set_options(LinkState& state, unsigned flags_word, bool level_tracking,
                     bool encryption_allowed) {
  state.header_level = static_cast<int>(flags_word & 0xff);
  state.compression_on = (flags_word & 0x100) != 0;
  state.level_tracking = level_tracking;
  state.encryption_on = (flags_word & 0x200) != 0 && encryption_allowed;
  return state.encryption_on ? 1 : 0;
}

void link_set_session_key(const std::uint8_t* client_value, const std::uint8_t* server_value) {
  SessionKeyStore& store = key_store();
  {
    std::lock_guard lock(store.mutex);
    if (client_value != nullptr && server_value != nullptr) {
      store.key = derive_session_key(client_value, server_value);
      store.present = true;
      auto cipher = std::make_shared<TwofishCipher>();
      cipher->set_key(store.key.data(), store.key.size());
      store.cipher = std::move(cipher);
    } else {
      store.key.fill(0);
      store.present = false;
      store.cipher.reset();
    }
    store.generation.fetch_add(1, std::memory_order_release);
  }
  link_state().prepared_generation = 0;
}

bool session_key_present() {
  SessionKeyStore& store = key_store();
  std::lock_guard lock(store.mutex);
  return store.present;
}

bool link_prepare_keys(LinkState& state) {
  SessionKeyStore& store = key_store();
  if (state.prepared_generation == store.generation.load(std::memory_order_acquire)) return true;
  std::lock_guard lock(store.mutex);
  if (!store.present) return false;
  state.cipher = store.cipher;
  state.prepared_generation = store.generation.load(std::memory_order_relaxed);
  return true;
}

int default_net_timeout() {
  return g_default_net_timeout.load(std::memory_order_relaxed);
}
void set_default_net_timeout(int milliseconds) {
  g_default_net_timeout.store(milliseconds, std::memory_order_relaxed);
}
int link_version_word() {
  return g_link_version_word.load(std::memory_order_relaxed);
}
void set_link_version_word(int version_word) {
  g_link_version_word.store(version_word, std::memory_order_relaxed);
}
bool link_trace_enabled() {
  return g_trace.load(std::memory_order_relaxed);
}
void set_link_trace(bool on) {
  g_trace.store(on, std::memory_order_relaxed);
}

int net_timeout_from_option(long value) {
  if (value <= 0) return kDefaultNetTimeoutMs;
  if (value < 1000) return static_cast<int>(value * 1000);
  if (value > 0x7fffffff) return 0x7fffffff;
  return static_cast<int>(value);
}

}  // namespace kovw::net
