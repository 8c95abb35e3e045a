#include "foundation/code_table.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>
#include <vector>

namespace kovw::foundation {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

void put_le32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) bytes[offset + k] = static_cast<std::uint8_t>(value >> (8 * k));
}

// A table in which the bytes 0x80-0xFF stand for U+0100-U+017F and the others for themselves.
std::vector<std::uint8_t> table_file(std::string_view name) {
  std::vector<std::uint8_t> bytes(kCodeTableFileSize, 0);
  put_le32(bytes, 0, kCodeTableMagic);
  put_le32(bytes, 4, kCodeTableFileSize);
  std::copy(name.begin(), name.end(), bytes.begin() + kCodeTableNameOffset);
  put_le32(bytes, kCodeTableHashOffset, code_table_hash(name));
  for (unsigned b = 0; b < 256; ++b) {
    std::uint8_t* slot = &bytes[kCodeTableToUtf8Offset + b * kCodeTableSlotSize];
    unsigned code = b < 0x80 ? b : 0x100 + (b - 0x80);
    if (code < 0x80) {
      slot[0] = static_cast<std::uint8_t>(code);
    } else {
      slot[0] = static_cast<std::uint8_t>(0xC0 | (code >> 6));
      slot[1] = static_cast<std::uint8_t>(0x80 | (code & 0x3F));
    }
    bytes[kCodeTableFromUnicodeOffset + code] = static_cast<std::uint8_t>(b);
  }
  return bytes;
}

// HW points at a temporary directory holding unicode/<name>.uct files.
class CodeTables : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* hw = std::getenv("HW")) saved_hw_ = hw;
    dir_ = fs::temp_directory_path() / ("kovw-tables-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "unicode");
    ::setenv("HW", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (saved_hw_) {
      ::setenv("HW", saved_hw_->c_str(), 1);
    } else {
      ::unsetenv("HW");
    }
    fs::remove_all(dir_);
  }
  std::string file_of(std::string_view name) const {
    return (dir_ / "unicode" / (std::string(name) + ".uct")).string();
  }
  void write(std::string_view name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(file_of(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  // Selects `name` in `cache` and returns the error text ("" on success).
  std::string select_error(CodeTableCache& cache, std::string_view name) {
    std::string error;
    int result = cache.select(name, &error);
    EXPECT_EQ(result, error.empty() ? 0 : 1);
    return error;
  }

  std::optional<std::string> saved_hw_;
  fs::path dir_;
};

std::string convert_to_table(const CodeTable* table, std::string_view source, std::size_t capacity,
                             int flags, std::size_t* count = nullptr) {
  std::string field(capacity, 'x');
  std::size_t n = utf8_to_table(table, source, field, flags);
  if (count) *count = n;
  return field;
}

std::string convert_to_utf8(const CodeTable* table, std::string_view source, std::size_t capacity,
                            int flags, std::size_t* count = nullptr) {
  std::string field(capacity, 'x');
  std::size_t n = table_to_utf8(table, source, field, flags);
  if (count) *count = n;
  return field;
}

TEST(CodeTableHash, WeighsEachByteByItsPosition) {
  EXPECT_EQ(code_table_hash(""), 0u);
  EXPECT_EQ(code_table_hash("ab"), 97u + 2 * 98u);
  EXPECT_EQ(code_table_hash("\xFF"), 255u);
  EXPECT_EQ(code_table_hash("ab"), code_table_hash("ca"));  // hashes do collide
}

TEST_F(CodeTables, SelectsLoadsAndConvertsThroughTheCurrentTable) {
  write("T-1", table_file("T-1"));
  CodeTableCache cache;
  std::string previous = "unchanged";
  ASSERT_EQ(cache.select("T-1", nullptr, &previous), 0);
  EXPECT_EQ(previous, "");
  const CodeTable* table = cache.current();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->name, "T-1");

  std::size_t n = 0;
  // U+0100 is byte 0x80, U+017F byte 0xFF.
  EXPECT_EQ(convert_to_table(table, "a\xC4\x80\xC5\xBF", 4, 0, &n), "a\x80\xFFx");
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(convert_to_utf8(table, "a\x80\xFF", 6, 0, &n), "a\xC4\x80\xC5\xBFx");
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(convert_to_utf8(table, "a\x80", 8, kFieldMarker | kFieldPad | kFieldTerminate, &n),
            "a\xC4\x80   \xA0\0"s);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(convert_to_utf8(table, "a\x80", 2, 0, &n), "ax");  // a sequence is never split
  EXPECT_EQ(convert_to_table(table, "ab  ", 6, kFieldTrimBlanks | kFieldTerminate, &n), "ab\0 xx"s);
  EXPECT_EQ(n, 2u);

  // The process-wide form reports the previous table.
  write("T-2", table_file("T-2"));
  ASSERT_EQ(select_code_table("T-1"), 0);
  ASSERT_EQ(select_code_table("T-2", nullptr, &previous), 0);
  EXPECT_EQ(previous, "T-1");
  std::string field(3, 'x');
  EXPECT_EQ(utf8_to_table("\xC4\x81", field, kFieldTerminate), 1u);
  EXPECT_EQ(field, "\x81\0x"s);
}

TEST_F(CodeTables, DecodesUtf8LikeTheLeadByteTableSays) {
  write("T-1", table_file("T-1"));
  CodeTableCache cache;
  ASSERT_EQ(cache.select("T-1"), 0);
  const CodeTable* table = cache.current();
  struct Case {
    std::string source;
    std::string expected;
  };
  const Case cases[] = {
      {"a\x80"
       "b",
       "ab"},  // a continuation byte in lead position is skipped
      {"a\xFF"
       "b",
       "a?b"},          // a byte that never leads
      {"a\xC4", "a?"},  // cut short by the end
      {"\xC4"
       "b",
       "?b"},                        // cut short by a byte that does not continue it
      {"\xF0\x90\x84\x80", "\x80"},  // U+10100 keeps its low 16 bits: U+0100
      {"\xE2\x82\xAC", "?"},         // a code point the table lacks
      {"\xF8\x88\x80\x80\x80"
       "z",
       "?z"},  // five-byte form: U+200000 is not U+0000
  };
  for (const auto& c : cases) {
    std::string field(8, 'x');
    std::size_t n = utf8_to_table(table, c.source, field, 0);
    EXPECT_EQ(field.substr(0, n), c.expected) << c.source;
  }
}

TEST_F(CodeTables, ReportsEachBrokenFileWithItsMessage) {
  CodeTableCache cache;
  const std::string missing = file_of("NONE");
  EXPECT_EQ(select_error(cache, "NONE"), "hvunicode: NONE Error 2 open Unicode table " + missing);

  auto short_file = table_file("SHORT");
  short_file.pop_back();
  write("SHORT", short_file);
  EXPECT_EQ(select_error(cache, "SHORT"),
            "hvunicode: SHORT Expecting 70192 bytes, got 70191 "
            "bytes for Unicode table " +
                file_of("SHORT"));

  auto magic = table_file("MAGIC");
  magic[0] = 'X';
  write("MAGIC", magic);
  EXPECT_EQ(select_error(cache, "MAGIC"),
            "hvunicode: MAGIC Wrong File Magic, expecting 554e4943, got 554e4958 for Unicode "
            "table " +
                file_of("MAGIC") + ". Use 'hvunigen' to regenerate table");

  auto length = table_file("LEN");
  put_le32(length, 4, 70000);
  write("LEN", length);
  EXPECT_EQ(select_error(cache, "LEN"),
            "hvunicode: LEN Wrong File Length Value, expecting 11230, got 11170 for Unicode "
            "table " +
                file_of("LEN") + ". Use 'hvunigen' to regenerate table");

  write("NAME", table_file("OTHER"));
  EXPECT_EQ(select_error(cache, "NAME"),
            "hvunicode: NAME Wrong codetable, expecting NAME, got "
            "OTHER from Unicode table " +
                file_of("NAME"));

  auto unterminated = table_file("X");
  std::fill_n(unterminated.begin() + kCodeTableNameOffset, kCodeTableNameSize, 'X');
  write("X", unterminated);
  EXPECT_NE(select_error(cache, "X").find("Wrong codetable"), std::string::npos);

  auto hash = table_file("HASH");
  put_le32(hash, kCodeTableHashOffset, 1);
  write("HASH", hash);
  EXPECT_EQ(select_error(cache, "HASH"),
            "hvunicode: HASH Wrong Hashcode, expecting 2e3, got 1 for Unicode table " +
                file_of("HASH") + ". Use 'hvunigen' to regenerate table");

  // Names that cannot be a plain file name are refused before any file is opened.
  for (std::string_view bad : {"../unicode/T", "", "a\\b", "0123456789012345678901234567890123"}) {
    EXPECT_NE(select_error(cache, bad).find("Error 22 open Unicode table"), std::string::npos);
  }
  fs::create_directories(dir_ / "unicode" / "DIR.uct");
  EXPECT_NE(select_error(cache, "DIR").find("Error 21 reading 70192 bytes"), std::string::npos);

  EXPECT_EQ(cache.size(), 0u);
  EXPECT_EQ(cache.current(), nullptr);  // no default table there either
}

TEST_F(CodeTables, AThirtyThirdTableIsRefusedAndTheCurrentOneStays) {
  CodeTableCache cache;
  for (int k = 0; k < 33; ++k) {
    std::string name = "T" + std::to_string(k);
    write(name, table_file(name));
  }
  for (int k = 0; k < 32; ++k) ASSERT_EQ(select_error(cache, "T" + std::to_string(k)), "");
  EXPECT_EQ(select_error(cache, "T32"), "hvunicode: Only 32 Unicode Tables available. T32");
  EXPECT_EQ(cache.current()->name, "T31");
  // Cached tables are still selectable.
  EXPECT_EQ(select_error(cache, "T3"), "");
  EXPECT_EQ(cache.current()->name, "T3");
}

TEST_F(CodeTables, NamesWithTheSameHashAreDifferentTables) {
  write("ab", table_file("ab"));
  write("ca", table_file("ca"));
  CodeTableCache cache;
  ASSERT_EQ(select_error(cache, "ab"), "");
  ASSERT_EQ(select_error(cache, "ca"), "");
  EXPECT_EQ(cache.current()->name, "ca");
  EXPECT_EQ(cache.size(), 2u);
}

TEST_F(CodeTables, TheDefaultTableIsLoadedOnFirstUseAndBytesPassWithoutOne) {
  CodeTableCache without;
  EXPECT_EQ(without.current(), nullptr);
  std::size_t n = 0;
  EXPECT_EQ(convert_to_table(nullptr, "a\xC4\x80", 6, kFieldPad, &n), "a\xC4\x80   ");
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(convert_to_utf8(nullptr, "ab", 4, kFieldMarker | kFieldTerminate, &n), "ab\xA0\0"s);

  write("ISO8859-1", table_file("ISO8859-1"));
  EXPECT_EQ(without.current(), nullptr);  // tried once only
  CodeTableCache with;
  ASSERT_NE(with.current(), nullptr);
  EXPECT_EQ(with.current()->name, "ISO8859-1");
}

TEST_F(CodeTables, SelectionAndConversionFromSeveralThreads) {
  write("T-1", table_file("T-1"));
  write("T-2", table_file("T-2"));
  CodeTableCache cache;
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      for (int k = 0; k < 200; ++k) cache.select((k + t) % 2 ? "T-1" : "T-2");
    });
    threads.emplace_back([&] {
      for (int k = 0; k < 200; ++k) {
        std::string field(2, 'x');
        if (const CodeTable* table = cache.current()) {
          EXPECT_EQ(utf8_to_table(table, "\xC4\x80", field, 0), 1u);
          EXPECT_EQ(field[0], '\x80');
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(cache.size(), 2u);
}

TEST(CodeTableParse, ChecksTheLengthBeforeReading) {
  std::string error;
  std::vector<std::uint8_t> tiny(3, 0);
  EXPECT_EQ(parse_code_table(tiny, "T", "f", error), nullptr);
  EXPECT_EQ(error, "hvunicode: T Expecting 70192 bytes, got 3 bytes for Unicode table f");

  // A slot whose first byte cannot lead a sequence gives '?'.
  auto bytes = table_file("T");
  bytes[kCodeTableToUtf8Offset + 0x41 * kCodeTableSlotSize] = 0x80;
  auto table = parse_code_table(bytes, "T", "f", error);
  ASSERT_NE(table, nullptr);
  std::string field(4, 'x');
  EXPECT_EQ(table_to_utf8(table.get(), "AB", field, 0), 2u);
  EXPECT_EQ(field.substr(0, 2), "?B");
}

}  // namespace
}  // namespace kovw::foundation
