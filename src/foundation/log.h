#pragma once
// The workstation's log: one plain-text file, one line per entry, each with a fixed
// 66-column prefix (date and time, process id, thread id, the writing thread's name).

#include <cstddef>
#include <ctime>
#include <string>

namespace kovw::foundation {

// Flags of log_write.
inline constexpr int kLogPrefix = 0x1;     // write the line prefix
inline constexpr int kLogNoNewline = 0x2;  // do not append a line end

// printf-like: formats and writes one line with prefix. Never fails visibly.
void log_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, but the prefix shows `time` (seconds since 1970) instead of now.
void log_printf_at(std::time_t time, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Writes one entry; a length of 0 means up to the terminating zero.
void log_write(const char* text, std::size_t length, int flags);
// Two lines showing up to 476 bytes in hexadecimal and as characters.
void log_hex(const void* data, long length);

// Sets the log path from a logical path name: 0 opened, 1 a fallback was used, -1 none opened.
int log_set_path(const char* name);
std::string log_path();
void log_set_pending(const char* text);
void log_daily_check();
void log_delete();
int log_open();
void log_close();

// Sets keep-open: 1 keeps each thread's file open between lines, 0 closes it after every line.
// A path change or log_close returns it to its default (1).
void log_set_keep_open(int keep_open);
// The system error (errno) of the first location that log_set_path could not open; 0 if none.
int log_last_open_error();
// Returns the logger to its start state: path pending, no pending line, keep-open default;
// closes the calling thread's file. For re-initialisation and tests.
void log_reset();

// The calling thread's log name (empty: the executable name is shown), up to 16 characters.
void log_set_thread_name(const std::string& name);
// The executable name shown for threads without a log name (computed from argv[0]).
void log_set_executable(const char* argv0);

}  // namespace kovw::foundation
