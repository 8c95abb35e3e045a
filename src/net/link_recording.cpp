#include "net/link_recording.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>

#include "foundation/log.h"

namespace kovw::net {

namespace {

struct Recording {
  std::mutex mutex;
  std::string directory;
  std::string version;
};

Recording& recording() {
  static Recording instance;
  return instance;
}

std::atomic<unsigned> g_trace_number{0};

const char* kind_name(TraceLinkKind kind) {
  switch (kind) {
    case TraceLinkKind::Server:
      return "server";
    case TraceLinkKind::Program:
      return "program";
    case TraceLinkKind::Print:
      return "print";
  }
  return "link";
}

}  // namespace

void set_recording(const std::string& directory, const std::string& version) {
  Recording& r = recording();
  std::lock_guard lock(r.mutex);
  r.directory = directory;
  r.version = version;
}

TraceOptions trace_options(const LinkState& state) {
  TraceOptions options;
  options.header_level = state.header_level;
  if (state.compression_on) options.bits |= kTraceCompression;
  if (state.encryption_on) options.bits |= kTraceEncryption;
  if (state.level_tracking) options.bits |= kTraceLevelTracking;
  return options;
}

void apply_trace_options(const TraceOptions& options) {
  unsigned word = static_cast<unsigned>(options.header_level) & 0xff;
  if (options.bits & kTraceCompression) word |= 0x100;
  if (options.bits & kTraceEncryption) word |= 0x200;
  link_set_options(word, (options.bits & kTraceLevelTracking) != 0, true);
}

std::shared_ptr<TraceWriter> open_link_recording(TraceLinkKind kind, const std::string& peer,
                                                 const LinkState& options) {
  TraceHeader header;
  std::string directory;
  {
    Recording& r = recording();
    std::lock_guard lock(r.mutex);
    if (r.directory.empty()) return nullptr;
    directory = r.directory;
    header.version = r.version;
  }
  header.link_kind = kind;
  header.options = trace_options(options);
  header.peer = peer;
  const std::time_t now = std::time(nullptr);
  header.start_time = static_cast<std::uint64_t>(now);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string path = directory + "/" + kind_name(kind) + "-" + stamp + "-" +
                           std::to_string(::getpid()) + "-" + std::to_string(++g_trace_number) +
                           ".kovwtrace";
  auto writer = std::make_shared<TraceWriter>(path, header);
  if (!writer->is_open()) {
    foundation::log_printf("Recording: cannot create %s (%s)", path.c_str(), std::strerror(errno));
    return nullptr;
  }
  foundation::log_printf("Recording %s link to %s", kind_name(kind), path.c_str());
  return writer;
}

}  // namespace kovw::net
