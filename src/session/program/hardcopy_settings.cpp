#include "session/program/hardcopy_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "session/program/hardcopy_text.h"

namespace kovw::session {

namespace {

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Where the extension's dot is, or npos when the file part has none.
std::size_t extension_dot(const std::string& name) {
  const std::size_t slash = name.find_last_of("/\\");
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return std::string::npos;
  }
  return dot;
}

}  // namespace

HardcopySettings& hardcopy_settings() {
  static HardcopySettings settings;
  return settings;
}

const char* format_extension(int format) {
  switch (format) {
    case kHardcopyPcx:
      return "pcx";
    case kHardcopyText:
    case kHardcopyClipText:
      return "txt";
    case kHardcopyOemText:
      return "oem";
    default:
      return "bmp";
  }
}

std::string with_format_extension(const std::string& name, int format) {
  if (name.empty()) return name;
  const std::size_t dot = extension_dot(name);
  return (dot == std::string::npos ? name : name.substr(0, dot)) + "." + format_extension(format);
}

std::string switch_extension(const std::string& name, int format) {
  if (name.size() < 5 || name[name.size() - 4] != '.') return name;
  const std::string extension = lower(name.substr(name.size() - 3));
  if (extension != "txt" && extension != "oem" && extension != "pcx" && extension != "bmp") {
    return name;
  }
  return name.substr(0, name.size() - 3) + format_extension(format);
}

std::string append_extension(const std::string& name, int format) {
  const std::size_t dot = extension_dot(name);
  if (dot != std::string::npos && lower(name.substr(dot + 1)) == format_extension(format)) {
    return name;
  }
  return name + "." + format_extension(format);
}

int check_hardcopy_choices(HardcopySettings& settings, bool graphics_window) {
  if (settings.output == kHardcopyFile) {
    if (settings.file_name.empty()) return 40271;
    if (graphics_window && settings.format != kHardcopyBmp && settings.format != kHardcopyPcx) {
      settings.format = kHardcopyBmp;
      return 40275;
    }
    settings.file_name = append_extension(settings.file_name, settings.format);
  }
  if (settings.output == kHardcopyPrint && settings.printer_name.empty()) return 40272;
  return 0;
}

std::string hardcopy_heading(const std::string& user, const std::string& computer, int day,
                             int month, int year, int hour, int minute, int second) {
  char time[40];
  std::snprintf(time, sizeof time, " %.2d.%.2d.%.4d %.2d:%.2d:%.2d", day, month, year, hour, minute,
                second);
  return user.substr(0, 63) + ":" + computer.substr(0, 64) + time;
}

}  // namespace kovw::session
