// The local table file: current records read as stored, old ones converted, lying lengths
// refused, and a record written and read back.
#include "shell/table_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace kovw::shell {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& out, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i)
    out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

Bytes file_of(const Bytes& record, std::uint32_t length) {
  Bytes file(4 + record.size(), 0);
  put(file, 0, length, 4);
  std::copy(record.begin(), record.end(), file.begin() + 4);
  return file;
}

Bytes old_record(std::uint16_t text_length, const std::string& text) {
  Bytes record(kTableOldHead + 2 + text.size(), 0);
  record[0] = 'H';
  put(record, kTableVersionOffset, 700, 4);
  put(record, kTableOldHead, text_length, 2);
  std::copy(text.begin(), text.end(), record.begin() + kTableOldHead + 2);
  return record;
}

TEST(TableFile, OldRecordsAreConvertedAndLyingLengthsRefused) {
  const TableRead read = parse_table_file(file_of(old_record(5, "abc"), kTableOldHead + 5));
  ASSERT_TRUE(read.error.empty()) << read.error;
  EXPECT_TRUE(read.converted);
  ASSERT_EQ(read.record.size(), kTableRecordSize);
  EXPECT_EQ(read.record[0], 'H');
  EXPECT_EQ(read.record[kTableTextLengthOffset], 5);
  // The text present, then blanks up to its length.
  EXPECT_EQ(std::string(read.record.begin() + kTableTextOffset,
                        read.record.begin() + kTableTextOffset + 6),
            std::string("abc  ") + '\0');

  const struct {
    Bytes file;
    const char* why;
  } refused[] = {
      {Bytes{1, 0}, "shorter than its length field"},
      {file_of(Bytes(10, 0), 11), "record length beyond the file"},
      {file_of(old_record(4000, "x"), kTableOldHead + 3), "16-bit text length over the field"},
  };
  for (const auto& c : refused) {
    const TableRead bad = parse_table_file(c.file);
    EXPECT_FALSE(bad.error.empty()) << c.why;
    EXPECT_TRUE(bad.record.empty()) << c.why;
  }
  // A current record whose text length runs past it.
  Bytes current(kTableTextOffset + 10, 0);
  put(current, kTableVersionOffset, 800, 4);
  put(current, kTableTextLengthOffset, 11, 2);
  EXPECT_FALSE(
      parse_table_file(file_of(current, static_cast<std::uint32_t>(current.size()))).error.empty());
}

TEST(TableFile, WrittenRecordReadsBackUnchanged) {
  QTemporaryDir dir;
  Bytes record(kTableRecordSize, 0);
  put(record, kTableVersionOffset, 800, 4);
  put(record, kTableTextLengthOffset, 4, 2);
  std::copy_n("fnt1", 4, record.begin() + kTableTextOffset);
  record[100] = 42;
  const std::string path = dir.filePath("drtab.ini").toStdString();
  ASSERT_EQ(write_table_file(path, record), 0);
  const TableRead read = read_table_file(path);
  ASSERT_TRUE(read.error.empty()) << read.error;
  EXPECT_FALSE(read.converted);
  EXPECT_EQ(read.record, record);
  put(record, kTableTextLengthOffset, 4000, 2);
  EXPECT_EQ(write_table_file(path, record), EINVAL);
  EXPECT_FALSE(read_table_file(dir.filePath("missing").toStdString()).error.empty());
}

TEST(TableFile, APageDefinitionIsKeptAsTheFileGivesItBack) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("drtab.ini").toStdString();
  std::string error;
  // A graphics window's page definition in the old layout reads back converted.
  ASSERT_EQ(store_page_definition(path, old_record(3, "Ari"), error), 0) << error;
  const TableRead read = read_table_file(path);
  ASSERT_TRUE(read.error.empty()) << read.error;
  EXPECT_EQ(read.record[0], 'H');
  EXPECT_EQ(read.record[kTableTextLengthOffset], 3);
  EXPECT_EQ(std::string(read.record.begin() + kTableTextOffset,
                        read.record.begin() + kTableTextOffset + 3),
            "Ari");
  // One whose text length lies is refused, and the file kept.
  EXPECT_EQ(store_page_definition(path, old_record(4000, "x"), error), EINVAL);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(read_table_file(path).record, read.record);
}

}  // namespace
}  // namespace kovw::shell
