#include "graphics/picture_display.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "foundation/log.h"
#include "foundation/path_synonyms.h"
#include "graphics/painter_renderer.h"
#include "graphics/picture_loader.h"

namespace kovw::graphics {

namespace {

constexpr std::size_t kMaxPictureFile = std::size_t{256} << 20;

bool starts_with_prefix(const std::string& name) {
  if (name.size() < kLocalFilePrefix.size()) return false;
  for (std::size_t i = 0; i < kLocalFilePrefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) != kLocalFilePrefix[i]) return false;
  }
  return true;
}

// Reads a whole file; sets `error` to errno on failure.
bool read_file(const std::string& path, std::vector<std::uint8_t>& bytes, int& error) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = errno != 0 ? errno : ENOENT;
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxPictureFile) {
    error = EFBIG;
    return false;
  }
  in.seekg(0);
  bytes.resize(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    error = EIO;
    return false;
  }
  return true;
}

}  // namespace

PictureOutcome show_picture(PainterRenderer& renderer, const PictureRequest& request) {
  using foundation::log_printf;
  const int program = request.program;
  const std::string& name = request.file_name;
  if (name.empty()) {
    log_printf("kovg(%d): 271 Bildpfad ist leer.", program);
    return PictureOutcome::EmptyName;
  }
  const bool local = request.all_local || starts_with_prefix(name);
  const std::string logical =
      starts_with_prefix(name) ? name.substr(kLocalFilePrefix.size()) : name;
  const std::string extension = file_extension(logical);
  const MediaKind kind = media_kind(extension);
  if (kind == MediaKind::Unknown) {
    log_printf("kovg(%d): 277Unbekanntes Bildformat %s. %s", program, extension.c_str(),
               name.c_str());
    return PictureOutcome::UnknownKind;
  }
  std::optional<std::string> path;
  if (!local) {
    std::string error = "Dateiübertragung nicht verfügbar";
    std::string fetched;
    if (request.fetch) fetched = request.fetch(name, extension, error);
    if (fetched.empty()) {
      log_printf("kovg(%d): 236 Dateifehler %s beim Übertragen von %s", program, error.c_str(),
                 name.c_str());
      return PictureOutcome::NotTransferred;
    }
    path = fetched;
  } else {
    path = foundation::resolve_path(logical);
  }
  std::vector<std::uint8_t> bytes;
  int error = ENAMETOOLONG;
  if (!path || !read_file(*path, bytes, error)) {
    log_printf("kovg(%d): 234 Dateifehler %d beim Oeffnen von %s (%s)", program, error,
               name.c_str(), path ? path->c_str() : logical.c_str());
    return PictureOutcome::FileError;
  }
  log_printf("dwmedia: Ausführung");
  if (kind == MediaKind::Sound) {
    // This workstation has no sound output for host programs.
    log_printf("kovg(%d): Fehler %d (%s) beim %s von %s (%s)", program, ENOSYS,
               "keine Audioausgabe", request.printing ? "Drucken" : "Anzeigen", name.c_str(),
               path->c_str());
    log_printf("dwmedia: Ende");
    return PictureOutcome::SoundNotPlayed;
  }
  const PictureFormat format = picture_format(extension);
  const PictureLoad load = load_picture(bytes, format);
  if (load.image.isNull()) {
    if (decoded_by_workstation(format)) {
      log_printf("kovg(%d): 237 Fehler %d beim Konvertieren von %s (%s) %s", program, load.error,
                 name.c_str(), path->c_str(), load.text.c_str());
    } else {
      log_printf("kovg(%d): Fehler %d (%s) beim %s von %s (%s)", program, load.error,
                 load.text.c_str(), request.printing ? "Drucken" : "Anzeigen", name.c_str(),
                 path->c_str());
    }
    log_printf("dwmedia: Ende");
    return PictureOutcome::DecodeError;
  }
  renderer.picture(load.image, request.rect);
  log_printf("dwmedia: Ende");
  return PictureOutcome::Shown;
}

}  // namespace kovw::graphics
