#include "shell/cache_clean.h"

#include <filesystem>
#include <system_error>

#include "foundation/log.h"

namespace kovw::shell {
namespace {

namespace fs = std::filesystem;

bool remove_tree(const fs::path& path) {
  std::error_code error;
  fs::remove_all(path, error);
  if (error) {
    foundation::log_printf("Cache %s nicht gelöscht: %s", path.string().c_str(),
                           error.message().c_str());
    return false;
  }
  return true;
}

}  // namespace

int cache_clean(const std::string& data_directory, int flags) {
  if (data_directory.empty()) return 0;
  const fs::path data(data_directory);
  int failures = 0;
  for (const char* old : {"kovw", "dfa", "help"}) {
    if (!remove_tree(data / "cache" / old)) ++failures;
  }
  const struct {
    int flag;
    const char* name;
  } parts[] = {{kCacheFiles, "cache"}, {kCacheHelp, "help"}, {kCacheViewer, "dfa"}};
  for (const auto& part : parts) {
    if (!(flags & part.flag)) continue;
    const fs::path dir = data / part.name;
    if (!remove_tree(dir)) {
      ++failures;
      continue;
    }
    std::error_code error;
    fs::create_directories(dir, error);
    if (error) {
      foundation::log_printf("Cache %s nicht angelegt: %s", dir.string().c_str(),
                             error.message().c_str());
      ++failures;
    }
  }
  return failures;
}

}  // namespace kovw::shell
