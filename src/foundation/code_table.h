#pragma once
// Code tables: the mapping between UTF-8 and a single-byte character set that typed field
// conversion uses. A table is loaded from the file "HW/unicode/<name>.uct" (a logical path),
// checked, and kept in a cache of at most 32 tables until the process ends; one of them is
// the current table. The first conversion without a current table selects "ISO8859-1".
//
// Table file (70192 bytes, little-endian): 0 magic 0x554E4943 ("CINU"); 4 the length 70192;
// 8 the table name, zero-terminated within 32 bytes; 40 the name hash; 1072 byte to UTF-8,
// 256 slots of 6 bytes (the sequence of byte b in slot b); 2608 code point to byte, 65536
// bytes. Everything else is not read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kovw::foundation {

inline constexpr std::size_t kCodeTableFileSize = 70192;
inline constexpr std::uint32_t kCodeTableMagic = 0x554E4943;
inline constexpr std::size_t kCodeTableCacheSize = 32;
inline constexpr std::size_t kCodeTableNameOffset = 8;
inline constexpr std::size_t kCodeTableNameSize = 32;
inline constexpr std::size_t kCodeTableHashOffset = 40;
inline constexpr std::size_t kCodeTableToUtf8Offset = 1072;
inline constexpr std::size_t kCodeTableSlotSize = 6;
inline constexpr std::size_t kCodeTableFromUnicodeOffset = 2608;
inline constexpr std::string_view kDefaultCodeTable = "ISO8859-1";

// Flags of utf8_to_table and table_to_utf8.
inline constexpr int kFieldTerminate = 0x01;   // zero-terminate the field
inline constexpr int kFieldPad = 0x02;         // pad with blanks to the capacity
inline constexpr int kFieldTrimBlanks = 0x04;  // drop trailing blanks
inline constexpr int kFieldMarker = 0x10;      // table_to_utf8: append the UTF-8 marker 0xA0

// The name hash: the sum of each byte's unsigned value times its 1-based position.
std::uint32_t code_table_hash(std::string_view name);

// One loaded table; immutable once built.
struct CodeTable {
  std::string name;
  std::uint32_t hash = 0;
  std::array<std::array<std::uint8_t, kCodeTableSlotSize>, 256> to_utf8{};
  std::array<std::uint8_t, 65536> from_unicode{};
};

// Checks the bytes of a table file read for `name` from `file` (the file's path, shown in
// messages). Returns the table, or nullptr with the message in `error`.
std::unique_ptr<CodeTable> parse_code_table(std::span<const std::uint8_t> bytes,
                                            std::string_view name, std::string_view file,
                                            std::string& error);

// Conversions through `table` (nullptr: the bytes are copied unchanged) into a field of
// target.size() bytes. Return the number of bytes of text in the field (without padding,
// marker and terminating zero). Room for the marker and the terminating zero is kept free
// while converting; a UTF-8 sequence is never split.
std::size_t utf8_to_table(const CodeTable* table, std::string_view source, std::span<char> target,
                          int flags);
std::size_t table_to_utf8(const CodeTable* table, std::string_view source, std::span<char> target,
                          int flags);

// A cache of loaded tables with a current one. Thread-safe; the process uses one instance
// (code_tables()), tests may make their own.
class CodeTableCache {
 public:
  // Makes `name` current, loading it when it is not cached. 0 on success, 1 on failure with
  // the message logged and copied to `error_text` when given. `previous_name` receives the
  // name of the table current before (empty when none) when given.
  int select(std::string_view name, std::string* error_text = nullptr,
             std::string* previous_name = nullptr);
  // The current table; selects the default table the first time there is none.
  const CodeTable* current();
  std::size_t size() const;

 private:
  int select_locked(std::string_view name, std::string* error_text);
  std::unique_ptr<const CodeTable> load(std::string_view name, std::string& error);

  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<const CodeTable>> tables_;
  const CodeTable* current_ = nullptr;
  bool default_tried_ = false;
};

CodeTableCache& code_tables();

// The process-wide forms.
int select_code_table(std::string_view name, std::string* error_text = nullptr,
                      std::string* previous_name = nullptr);
std::size_t utf8_to_table(std::string_view source, std::span<char> target, int flags);
std::size_t table_to_utf8(std::string_view source, std::span<char> target, int flags);

}  // namespace kovw::foundation
