#pragma once
// Cleaning the local data directory's caches: "cache" (flag 1), "help" (flag 2) and "dfa"
// (flag 4) are removed with their contents and made again; the old subdirectories "kovw",
// "dfa" and "help" below "cache" are always removed.

#include <string>

namespace kovw::shell {

inline constexpr int kCacheFiles = 0x1;
inline constexpr int kCacheHelp = 0x2;
inline constexpr int kCacheViewer = 0x4;
inline constexpr int kCacheAll = 0xFFFF;

// Returns the number of directories that could not be removed or made again (each logged).
int cache_clean(const std::string& data_directory, int flags);

}  // namespace kovw::shell
