#include "shell/macro_archive.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kovw::shell {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

struct Entry {
  std::string name;
  std::string data;
  unsigned long external = 0;  // Unix mode in the high 16 bits
};

// An archive made with the library directly, with any names and attributes.
void make_zip(const std::string& path, const std::vector<Entry>& entries) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  for (const Entry& e : entries) {
    zip_fileinfo info{};
    info.external_fa = e.external;
    ASSERT_EQ(zipOpenNewFileInZip4_64(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                      Z_DEFLATED, 6, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr,
                                      0, 0x0314, 0, 1),
              ZIP_OK);
    zipWriteInFileInZip(zip, e.data.data(), static_cast<unsigned>(e.data.size()));
    zipCloseFileInZip(zip);
  }
  zipClose(zip, nullptr);
}

TEST(MacroArchive, PackAndUnpackRoundTrip) {
  QTemporaryDir temp;
  const fs::path root = temp.path().toStdString();
  const fs::path macro = root / "makro" / "Auftrag";
  write_file(macro / "prog_1.mdx", std::string("KOVW\0\1\2", 7));
  write_file(macro / "start.kovw", "-mp Auftrag\n");
  write_file(macro / "sub" / "script.txt", "x");
  fs::create_symlink("/etc/passwd", macro / "link");
  const std::string zip = (root / "makro" / "Auftrag.zip").string();
  std::string error;
  ASSERT_TRUE(pack_macro_directory(macro.string(), zip, error)) << error;
  EXPECT_FALSE(fs::exists(zip + ".tmp"));

  const fs::path other = root / "unpacked";
  std::vector<std::string> files;
  ASSERT_TRUE(unpack_macro_archive(zip, other.string(), error, &files)) << error;
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"prog_1.mdx", "start.kovw", "sub/script.txt"}));
  EXPECT_EQ(read_file(other / "prog_1.mdx"), std::string("KOVW\0\1\2", 7));
  EXPECT_EQ(read_file(other / "sub" / "script.txt"), "x");
  EXPECT_FALSE(fs::exists(other / "link"));
}

TEST(MacroArchive, ArchiveInsideTheFolderDoesNotPackItself) {
  QTemporaryDir temp;
  const fs::path macro = fs::path(temp.path().toStdString()) / "m";
  write_file(macro / "a.mdx", "a");
  const std::string zip = (macro / "makro.zip").string();
  std::string error;
  ASSERT_TRUE(pack_macro_directory(macro.string(), zip, error)) << error;
  ASSERT_TRUE(pack_macro_directory(macro.string(), zip, error)) << error;
  std::vector<std::string> files;
  ASSERT_TRUE(unpack_macro_archive(zip, (macro / "x").string(), error, &files)) << error;
  EXPECT_EQ(files, std::vector<std::string>{"a.mdx"});
}

TEST(MacroArchive, HostileEntriesAreRefusedAndNothingIsUnpacked) {
  const std::vector<Entry> hostile = {
      {"../escape.txt", "x"},
      {"sub/../../escape.txt", "x"},
      {"/tmp/absolute.txt", "x"},
      {"..\\escape.txt", "x"},
      {"C:escape.txt", "x"},
      {"sub//x.txt", "x"},
      {"link", "/etc/passwd", 0120777ul << 16},
  };
  for (const Entry& bad : hostile) {
    QTemporaryDir temp;
    const fs::path root = temp.path().toStdString();
    const std::string zip = (root / "makro.zip").string();
    make_zip(zip, {{"good.mdx", "g"}, bad});
    std::string error;
    EXPECT_FALSE(unpack_macro_archive(zip, (root / "m" / "x").string(), error)) << bad.name;
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(root / "m" / "x" / "good.mdx")) << bad.name;
    EXPECT_FALSE(fs::exists(root / "m" / "escape.txt")) << bad.name;
    EXPECT_FALSE(fs::exists(root / "escape.txt")) << bad.name;
  }
}

TEST(MacroArchive, LinkAlreadyInTheFolderIsNotFollowed) {
  QTemporaryDir temp;
  const fs::path root = temp.path().toStdString();
  fs::create_directories(root / "m");
  fs::create_directories(root / "outside");
  fs::create_directory_symlink(root / "outside", root / "m" / "sub");
  const std::string zip = (root / "p.zip").string();
  make_zip(zip, {{"sub/file.txt", "x"}});
  std::string error;
  EXPECT_FALSE(unpack_macro_archive(zip, (root / "m").string(), error));
  EXPECT_FALSE(fs::exists(root / "outside" / "file.txt"));
}

TEST(MacroArchive, LimitsAndBrokenArchives) {
  QTemporaryDir temp;
  const fs::path root = temp.path().toStdString();
  const std::string zip = (root / "big.zip").string();
  make_zip(zip, {{"a", std::string(5000, 'a')}, {"b", "b"}});
  std::string error;
  EXPECT_FALSE(unpack_macro_archive(zip, (root / "x").string(), error, nullptr, {10, 4000}));
  EXPECT_FALSE(unpack_macro_archive(zip, (root / "y").string(), error, nullptr, {1, 1u << 20}));
  EXPECT_TRUE(unpack_macro_archive(zip, (root / "z").string(), error)) << error;

  write_file(root / "not.zip", "PK\3\4 this is no archive");
  EXPECT_FALSE(unpack_macro_archive((root / "not.zip").string(), (root / "n").string(), error));
  EXPECT_FALSE(unpack_macro_archive((root / "missing.zip").string(), (root / "n").string(), error));
}

TEST(MacroArchive, EntryNames) {
  for (const char* good : {"a.mdx", "sub/a.mdx", "sub/", "a..b", "..a"})
    EXPECT_TRUE(safe_archive_entry_name(good)) << good;
  for (const char* bad : {"", "/", "..", "./a", "a/./b", "a/..", "\\a", "D:\\a", "a\nb"})
    EXPECT_FALSE(safe_archive_entry_name(bad)) << bad;
}

}  // namespace
}  // namespace kovw::shell
