// The updater's download fed with arbitrary daemon frames: input = offered size (4 bytes, big
// endian), then frames of a type byte, a 16-bit big-endian length and the payload. A finished
// download holds exactly what was received, never more than offered; any other end leaves no
// file behind.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "shell/updater_download.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  if (size < 4) return 0;
  static const fs::path dir =
      fs::temp_directory_path() / ("fuzz_updater_download." + std::to_string(getpid()));
  const fs::path target = dir / "kovwupd";
  const std::uint64_t offered =
      (std::uint64_t{data[0]} << 24 | data[1] << 16 | data[2] << 8 | data[3]) & 0xFFFFF;
  std::size_t at = 4;
  bool done = false;
  {
    kovw::shell::UpdaterDownload download(target, offered);
    if (download.open() != 0) return 0;
    while (at + 3 <= size) {
      const int type = data[at];
      const std::size_t length =
          std::min<std::size_t>(data[at + 1] << 8 | data[at + 2], size - at - 3);
      const auto state = download.take(type, std::span(data + at + 3, length));
      at += 3 + length;
      if (type == 0xFF) download.cancel();
      if (state != kovw::shell::UpdaterDownload::State::Receiving) break;
    }
    done = download.state() == kovw::shell::UpdaterDownload::State::Done;
    if (done && (fs::file_size(target) != download.received() || download.received() > offered))
      std::abort();
  }
  std::error_code code;
  if (!done && (fs::exists(target, code) || fs::exists(target.string() + ".part", code)))
    std::abort();
  fs::remove(target, code);
  return 0;
}
