#include "foundation/code_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/path_synonyms.h"

namespace kovw::foundation {

namespace {

std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  va_list copy;
  va_copy(copy, ap);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, ap);
  va_end(ap);
  return text;
}

std::uint32_t read_le32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

// A name from a file, printable in a log line.
std::string printable(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  return result;
}

// A table name becomes part of a file name: it must be a plain name that fits the name field.
bool valid_table_name(std::string_view name) {
  return !name.empty() && name.size() < kCodeTableNameSize &&
         name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

// Blank padding, trimming, marker and terminating zero of a converted field whose text is
// target[0, n) and whose text may use target[0, limit).
std::size_t finish_field(std::span<char> target, std::size_t limit, std::size_t n, int flags,
                         bool marker) {
  if (!(flags & kFieldPad) && (flags & kFieldTrimBlanks)) {
    while (n > 0 && target[n - 1] == ' ') --n;
  }
  const std::size_t text = n;
  if (flags & kFieldPad) {
    std::fill(target.begin() + static_cast<std::ptrdiff_t>(n),
              target.begin() + static_cast<std::ptrdiff_t>(limit), ' ');
    n = limit;
  }
  if (marker && n < target.size()) target[n++] = static_cast<char>(kUtf8Marker);
  if ((flags & kFieldTerminate) && n < target.size()) target[n] = '\0';
  return text;
}

std::size_t field_limit(std::span<char> target, std::size_t reserved) {
  return target.size() > reserved ? target.size() - reserved : 0;
}

// Copies the source unchanged, as far as it fits.
std::size_t copy_unchanged(std::string_view source, std::span<char> target, std::size_t limit) {
  const std::size_t n = std::min(source.size(), limit);
  std::copy_n(source.begin(), n, target.begin());
  return n;
}

}  // namespace

std::uint32_t code_table_hash(std::string_view name) {
  std::uint32_t hash = 0;
  std::uint32_t position = 1;
  for (char c : name) hash += static_cast<unsigned char>(c) * position++;
  return hash;
}

std::unique_ptr<CodeTable> parse_code_table(std::span<const std::uint8_t> bytes,
                                            std::string_view name, std::string_view file,
                                            std::string& error) {
  const std::string n(name);
  const std::string f(file);
  if (bytes.size() < kCodeTableFileSize) {
    error = format("hvunicode: %s Expecting %d bytes, got %d bytes for Unicode table %s", n.c_str(),
                   static_cast<int>(kCodeTableFileSize), static_cast<int>(bytes.size()), f.c_str());
    return nullptr;
  }
  const std::uint32_t magic = read_le32(bytes, 0);
  if (magic != kCodeTableMagic) {
    error = format(
        "hvunicode: %s Wrong File Magic, expecting %lx, got %lx for Unicode table %s. Use "
        "'hvunigen' to regenerate table",
        n.c_str(), static_cast<unsigned long>(kCodeTableMagic), static_cast<unsigned long>(magic),
        f.c_str());
    return nullptr;
  }
  const std::uint32_t length = read_le32(bytes, 4);
  if (length != kCodeTableFileSize) {
    error = format(
        "hvunicode: %s Wrong File Length Value, expecting %lx, got %lx for Unicode table %s. Use "
        "'hvunigen' to regenerate table",
        n.c_str(), static_cast<unsigned long>(kCodeTableFileSize),
        static_cast<unsigned long>(length), f.c_str());
    return nullptr;
  }
  const auto* field = reinterpret_cast<const char*>(bytes.data() + kCodeTableNameOffset);
  const std::string_view stored(field, ::strnlen(field, kCodeTableNameSize));
  // A name field without its terminating zero is malformed and never matches.
  if (stored != name || stored.size() == kCodeTableNameSize) {
    error = format("hvunicode: %s Wrong codetable, expecting %s, got %s from Unicode table %s",
                   n.c_str(), n.c_str(), printable(stored).c_str(), f.c_str());
    return nullptr;
  }
  const std::uint32_t expected_hash = code_table_hash(name);
  const std::uint32_t hash = read_le32(bytes, kCodeTableHashOffset);
  if (hash != expected_hash) {
    error = format(
        "hvunicode: %s Wrong Hashcode, expecting %lx, got %lx for Unicode table %s. Use "
        "'hvunigen' to regenerate table",
        n.c_str(), static_cast<unsigned long>(expected_hash), static_cast<unsigned long>(hash),
        f.c_str());
    return nullptr;
  }

  auto table = std::make_unique<CodeTable>();
  table->name = n;
  table->hash = hash;
  for (std::size_t b = 0; b < table->to_utf8.size(); ++b) {
    std::copy_n(bytes.begin() +
                    static_cast<std::ptrdiff_t>(kCodeTableToUtf8Offset + b * kCodeTableSlotSize),
                kCodeTableSlotSize, table->to_utf8[b].begin());
  }
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(kCodeTableFromUnicodeOffset),
              table->from_unicode.size(), table->from_unicode.begin());
  return table;
}

// Decodes one UTF-8 sequence at a time by the lead-byte length table: a continuation byte in
// lead position is skipped, a byte that never leads gives '?', and so does a sequence cut
// short by the end of the source or by a byte that does not continue it (decoding goes on
// at that byte). Code points above 0xFFFF keep their low 16 bits. A code point the table
// maps to the zero byte gives '?', so that a field is never cut short by a stray zero.
std::size_t utf8_to_table(const CodeTable* table, std::string_view source, std::span<char> target,
                          int flags) {
  const std::size_t limit = field_limit(target, (flags & kFieldTerminate) ? 1 : 0);
  std::size_t n = 0;
  if (table == nullptr) {
    n = copy_unchanged(source, target, limit);
  } else {
    for (std::size_t i = 0; i < source.size() && n < limit;) {
      const auto lead = static_cast<unsigned char>(source[i]);
      const int length = utf8_lead_length(lead);
      if (length == 0) {
        ++i;
        continue;
      }
      char out = '?';
      const auto count = static_cast<std::size_t>(std::max(length, 1));
      bool complete = length > 0 && i + count <= source.size();
      std::uint32_t code = count == 1 ? lead : lead & (0x7Fu >> length);
      for (std::size_t k = 1; complete && k < count; ++k) {
        const auto next = static_cast<unsigned char>(source[i + k]);
        if (utf8_lead_length(next) != 0) complete = false;
        code = (code << 6) | (next & 0x3Fu);
      }
      if (complete) {
        const std::uint8_t byte = table->from_unicode[code & 0xFFFF];
        if (byte != 0 || code == 0) out = static_cast<char>(byte);
        i += count;
      } else {
        ++i;
      }
      target[n++] = out;
    }
  }
  return finish_field(target, limit, n, flags, false);
}

// Replaces each byte by the UTF-8 sequence of its slot; a slot whose first byte cannot lead a
// sequence gives '?'. A sequence that does not fit whole ends the conversion.
std::size_t table_to_utf8(const CodeTable* table, std::string_view source, std::span<char> target,
                          int flags) {
  const bool marker = (flags & kFieldMarker) != 0;
  const std::size_t reserved = ((flags & kFieldTerminate) ? 1 : 0) + (marker ? 1 : 0);
  const std::size_t limit = field_limit(target, reserved);
  std::size_t n = 0;
  if (table == nullptr) {
    n = copy_unchanged(source, target, limit);
  } else {
    for (char c : source) {
      const auto& slot = table->to_utf8[static_cast<unsigned char>(c)];
      const int length = utf8_lead_length(slot[0]);
      if (length <= 0) {
        if (n >= limit) break;
        target[n++] = '?';
        continue;
      }
      // The lead-byte table gives at most 6, the size of a slot.
      const auto count = static_cast<std::size_t>(length);
      if (n + count > limit) break;
      std::copy_n(slot.begin(), count, target.begin() + static_cast<std::ptrdiff_t>(n));
      n += count;
    }
  }
  return finish_field(target, limit, n, flags, marker);
}

int CodeTableCache::select(std::string_view name, std::string* error_text,
                           std::string* previous_name) {
  std::lock_guard lock(mutex_);
  if (previous_name) *previous_name = current_ ? current_->name : std::string();
  return select_locked(name, error_text);
}

int CodeTableCache::select_locked(std::string_view name, std::string* error_text) {
  const std::uint32_t hash = code_table_hash(name);
  // The hash finds the table quickly; the name must match as well, since different names
  // can share a hash.
  for (const auto& table : tables_) {
    if (table->hash == hash && table->name == name) {
      current_ = table.get();
      return 0;
    }
  }

  std::string error;
  const std::string n(name);
  if (tables_.size() >= kCodeTableCacheSize) {
    error = format("hvunicode: Only %d Unicode Tables available. %s",
                   static_cast<int>(kCodeTableCacheSize), n.c_str());
  } else {
    auto table = load(name, error);
    if (table) {
      current_ = table.get();
      tables_.push_back(std::move(table));
      return 0;
    }
  }
  log_printf("%s", error.c_str());
  if (error_text) *error_text = error;
  return 1;
}

std::unique_ptr<const CodeTable> CodeTableCache::load(std::string_view name, std::string& error) {
  const std::string n(name);
  const std::string logical = "HW/unicode/" + n + ".uct";
  std::optional<std::string> path;
  int open_error = EINVAL;  // a name that cannot be a file name
  if (valid_table_name(name)) {
    path = resolve_path(logical);
    if (!path) open_error = ENAMETOOLONG;
  }
  const std::string file = path.value_or(logical);
  std::FILE* stream = path ? std::fopen(path->c_str(), "rb") : nullptr;
  if (stream == nullptr) {
    if (path) open_error = errno;
    error =
        format("hvunicode: %s Error %d open Unicode table %s", n.c_str(), open_error, file.c_str());
    return nullptr;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(stream, &std::fclose);

  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(kCodeTableFileSize);
  } catch (const std::bad_alloc&) {
    error = format("hvunicode: %s Error %d allocating %d bytes for Unicode table %s", n.c_str(),
                   ENOMEM, static_cast<int>(kCodeTableFileSize), file.c_str());
    return nullptr;
  }
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), stream);
  if (got < bytes.size() && std::ferror(stream)) {
    error = format("hvunicode: %s Error %d reading %d bytes for Unicode table %s", n.c_str(), errno,
                   static_cast<int>(kCodeTableFileSize), file.c_str());
    return nullptr;
  }
  bytes.resize(got);
  return parse_code_table(bytes, name, file, error);
}

const CodeTable* CodeTableCache::current() {
  std::lock_guard lock(mutex_);
  if (current_ == nullptr && !default_tried_) {
    // Tried once: a missing default table must not cost a file look-up per conversion.
    default_tried_ = true;
    select_locked(kDefaultCodeTable, nullptr);
  }
  return current_;
}

std::size_t CodeTableCache::size() const {
  std::lock_guard lock(mutex_);
  return tables_.size();
}

CodeTableCache& code_tables() {
  static CodeTableCache cache;
  return cache;
}

int select_code_table(std::string_view name, std::string* error_text, std::string* previous_name) {
  return code_tables().select(name, error_text, previous_name);
}

std::size_t utf8_to_table(std::string_view source, std::span<char> target, int flags) {
  return utf8_to_table(code_tables().current(), source, target, flags);
}

std::size_t table_to_utf8(std::string_view source, std::span<char> target, int flags) {
  return table_to_utf8(code_tables().current(), source, target, flags);
}

}  // namespace kovw::foundation
