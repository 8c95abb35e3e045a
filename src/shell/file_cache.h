#pragma once
// The local file cache: host files fetched once per workstation run and host, kept below
// "<data>/cache/<group>/<local name>". The group is the connection's display text (or
// "__intern__" for the shell's own files); the local name is the host file name with the
// characters that cannot stand in a file name replaced.
//
// A lookup that finds the file current (it exists, is not empty and is not older than the
// requested stamp) returns at once. Otherwise the caller must fetch it: the lookup then holds
// the cache lock (an flock on "<data>/cache/.lock", shared by every thread and every
// workstation process of the user) until cache_done, so that two fetchers never write the same
// file. A lookup that cannot get the lock within the wait refuses the fetch with an error.

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

namespace kovw::shell {

inline constexpr std::size_t kCacheNameMax = 126;
inline constexpr const char* kInternalCacheGroup = "__intern__";
inline constexpr std::chrono::milliseconds kCacheLockWait{20000};

// The local name of a host file: blank -> "_", "#" -> "##", "/" and "\" -> "~", ":" -> "#",
// "~" -> "~~"; "." and `extension` are appended when given and not already at the end; at most
// kCacheNameMax characters (the base is cut so that the extension stays).
std::string cache_local_name(std::string_view host_name, std::string_view extension = {});

// False (with a log line) for a group or local name that could leave the cache directory or
// is no file name at all: empty, "." or "..", with "/" or a zero byte.
bool cache_name_safe(std::string_view name, const char* what);

enum class CacheState { Failed = 0, Fetch = 1, Current = 2 };

class CacheLock;

// One lookup's result, freed with cache_release (or by destruction).
struct CacheEntry {
  CacheState state = CacheState::Failed;
  std::time_t stamp = 0;
  std::string host_name;
  std::string local_path;
  std::string error;                // why the lookup failed
  std::unique_ptr<CacheLock> lock;  // held while state is Fetch

  CacheEntry();
  ~CacheEntry();
  CacheEntry(CacheEntry&&) noexcept;
  CacheEntry& operator=(CacheEntry&&) noexcept;
};

// True when the file at `path` exists, is not empty and was modified at `stamp` or later.
bool cache_file_current(const std::string& path, std::time_t stamp);

// Looks `host_name` up in `<data_directory>/cache/<group>`. State Current: use local_path.
// State Fetch: fetch into local_path (the lock is held), then call cache_done. State Failed:
// a refused name, an unusable directory or a lock wait that ran out; `error` says which.
CacheEntry cache_lookup(const std::string& data_directory, std::string_view host_name,
                        std::string_view extension, std::time_t stamp, std::string_view group,
                        std::chrono::milliseconds lock_wait = kCacheLockWait);

// Completes a fetch: on success the file's times become the entry's stamp (so it is current
// for the rest of the run), on failure the file is deleted. Releases the lock either way.
void cache_done(CacheEntry& entry, bool success);

// Releases the entry's lock if it still holds it (a fetch that never completed counts as
// failed).
void cache_release(CacheEntry& entry);

}  // namespace kovw::shell
