// Placeholder until the real logger lands: writes every line to standard error.
#include "foundation/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace kovw::foundation {

void log_printf(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vfprintf(stderr, format, ap);
  va_end(ap);
  std::fputc('\n', stderr);
}
void log_printf_at(std::time_t, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vfprintf(stderr, format, ap);
  va_end(ap);
  std::fputc('\n', stderr);
}
void log_write(const char* text, std::size_t length, int flags) {
  std::fwrite(text, 1, length ? length : std::strlen(text), stderr);
  if (!(flags & kLogNoNewline)) std::fputc('\n', stderr);
}
void log_hex(const void*, long) {}
int log_set_path(const char*) { return 0; }
std::string log_path() { return {}; }
void log_set_pending(const char*) {}
void log_daily_check() {}
void log_delete() {}
int log_open() { return -1; }
void log_close() {}
void log_set_thread_name(const std::string&) {}
void log_set_executable(const char*) {}

}  // namespace kovw::foundation
