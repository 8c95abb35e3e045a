#pragma once
// Showing a picture of the graphics stream or of a window element: the file is found (a local
// file, or a host file from the local cache), loaded by its extension and drawn into its
// rectangle. Every failure is logged with its number and drawing goes on.
//
// Host files come through the local cache of the file transfer; a host file that cannot be
// fetched is logged as not transferred and nothing is drawn.

#include <QRectF>
#include <functional>
#include <string>

namespace kovw::graphics {

class PainterRenderer;

inline constexpr std::string_view kLocalFilePrefix = "kovw:";

// Fetches a host file into the local cache: its local path, or empty with `error` set.
using HostFileFetch = std::function<std::string(const std::string& host_name,
                                                const std::string& extension, std::string& error)>;

struct PictureRequest {
  std::string file_name;   // host text as the host sent it
  QRectF rect;             // device pixels
  int program = 0;         // the program's number for the log lines
  bool all_local = false;  // the program option that makes every name a local file
  bool printing = false;
  HostFileFetch fetch;  // host files come through the cache; none: they cannot be shown
};

enum class PictureOutcome {
  Shown,
  EmptyName,
  NotTransferred,  // a host file: the cache is not available
  FileError,
  UnknownKind,
  SoundNotPlayed,
  DecodeError,
};

PictureOutcome show_picture(PainterRenderer& renderer, const PictureRequest& request);

}  // namespace kovw::graphics
