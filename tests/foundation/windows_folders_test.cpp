#include "foundation/windows_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "foundation/path_synonyms.h"

namespace kovw::foundation {
namespace {

namespace fs = std::filesystem;

// A temporary home: HOME points at a fresh directory and the XDG variables are unset for the
// duration of a test; everything is restored afterwards.
class FolderEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables) {
      if (const char* value = std::getenv(name)) saved_[name] = value;
      ::unsetenv(name);
    }
    home_ = fs::temp_directory_path() / ("kovw-folders-" + std::to_string(::getpid()));
    fs::remove_all(home_);
    fs::create_directories(home_);
    ::setenv("HOME", home_.c_str(), 1);
  }
  void TearDown() override {
    for (const char* name : kVariables) {
      auto it = saved_.find(name);
      if (it != saved_.end()) {
        ::setenv(name, it->second.c_str(), 1);
      } else {
        ::unsetenv(name);
      }
    }
    fs::remove_all(home_);
  }
  void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::string home() const { return home_.string(); }

  static constexpr const char* kVariables[] = {
      "HOME",           "XDG_DATA_HOME", "XDG_CONFIG_HOME",
      "XDG_CACHE_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"};
  std::map<std::string, std::string> saved_;
  fs::path home_;
};

TEST(WindowsFolderTable, HasTheRowsInOrderWithUniqueNamesAndCommonAliases) {
  auto table = windows_folder_table();
  ASSERT_EQ(table.size(), 24u);
  EXPECT_EQ(table[0].name, "DESKTOP");
  EXPECT_EQ(table[7].name, "APPDATA");
  EXPECT_EQ(table[7].key, kFolderKeyAppData);
  EXPECT_EQ(table[23].name, "COMMON_PROGRAMS");
  std::set<std::string_view> names;
  for (const auto& row : table) EXPECT_TRUE(names.insert(row.name).second) << row.name;
  // Every COMMON_ row is an alias of the ALL_ row with the same suffix.
  for (const auto& row : table) {
    if (row.name.substr(0, 7) != "COMMON_") continue;
    std::string all = "ALL_" + std::string(row.name.substr(7));
    auto it = std::find_if(table.begin(), table.end(), [&](auto& r) { return r.name == all; });
    ASSERT_NE(it, table.end()) << all;
    EXPECT_EQ(it->key, row.key);
    EXPECT_EQ(it->folder, row.folder);
  }

  auto names_table = expansion_table();
  ASSERT_EQ(names_table.size(), 19u);
  EXPECT_EQ(names_table[12].name, "APPDATA");
  EXPECT_EQ(names_table[12].code, 135);
  EXPECT_EQ(names_table[14].name, "KOVW");
  EXPECT_EQ(names_table[14].code, kExpandInstallDir);
}

TEST_F(FolderEnvironment, FoldersFollowTheXdgPlacesWithHomeFallbacks) {
  struct Case {
    std::string_view name;
    std::string expected;
  };
  const Case defaults[] = {
      {"DESKTOP", home() + "/Desktop"},
      {"DOCUMENTS", home() + "/Documents"},
      {"APPDATA", home() + "/.local/share"},
      {"LOCAL_APPDATA", home() + "/.local/share"},
      {"INTERNET_CACHE", home() + "/.cache"},
      {"FONTS", home() + "/.local/share/fonts"},
      {"AUTOSTART", home() + "/.config/autostart"},
      {"START", home() + "/.local/share/applications"},
      {"PROGRAMS", home() + "/.local/share/applications"},
      {"ALL_AUTOSTART", "/etc/xdg/autostart"},
      {"COMMON_PROGRAMS", "/usr/local/share/applications"},
  };
  for (const auto& c : defaults) EXPECT_EQ(windows_folder(0, c.name), c.expected) << c.name;

  ::setenv("XDG_DATA_HOME", "/data", 1);
  ::setenv("XDG_CONFIG_HOME", "/conf", 1);
  ::setenv("XDG_CACHE_HOME", "/cache", 1);
  ::setenv("XDG_DATA_DIRS", "relative:/usr/share:/opt/share", 1);
  const Case set[] = {
      {"APPDATA", "/data"},
      {"FONTS", "/data/fonts"},
      {"AUTOSTART", "/conf/autostart"},
      {"INTERNET_CACHE", "/cache"},
      {"ALL_START", "/usr/share/applications"},
  };
  for (const auto& c : set) EXPECT_EQ(windows_folder(0, c.name), c.expected) << c.name;

  // A relative XDG value is ignored.
  ::setenv("XDG_DATA_HOME", "not/absolute", 1);
  EXPECT_EQ(windows_folder(0, "APPDATA"), home() + "/.local/share");
}

TEST_F(FolderEnvironment, LooksUpByKeyOrExactName) {
  EXPECT_EQ(windows_folder(kFolderKeyAppData, ""), home() + "/.local/share");
  EXPECT_EQ(windows_folder(kFolderKeyDesktop, "APPDATA"), home() + "/Desktop");  // key wins
  EXPECT_EQ(windows_folder(0x99, ""), std::nullopt);
  EXPECT_EQ(windows_folder(0, "appdata"), std::nullopt);  // case-sensitive
  EXPECT_EQ(windows_folder(0, "APPDATA "), std::nullopt);
}

TEST_F(FolderEnvironment, FoldersWithoutCounterpartGiveNothing) {
  for (std::string_view name :
       {"SYSTEM", "WINDOWS", "PROGRAM_FILESX86", "SENDTO", "ALL_DESKTOP", "COMMON_DOCUMENTS"}) {
    EXPECT_EQ(windows_folder(0, name), std::nullopt) << name;
  }
  EXPECT_EQ(folder_path(Folder::Favorites), std::nullopt);
}

TEST_F(FolderEnvironment, DesktopAndDocumentsComeFromUserDirs) {
  write(home_ / ".config/user-dirs.dirs",
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
        "XDG_DOCUMENTS_DIR=\"/srv/docs\"\r\n");
  EXPECT_EQ(windows_folder(0, "DESKTOP"), home() + "/Schreibtisch");
  EXPECT_EQ(windows_folder(0, "DOCUMENTS"), "/srv/docs");

  ::setenv("XDG_CONFIG_HOME", (home() + "/other").c_str(), 1);
  write(home_ / "other/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Arbeitsfläche\"\n");
  EXPECT_EQ(windows_folder(0, "DESKTOP"), home() + "/Arbeitsfläche");
  EXPECT_EQ(windows_folder(0, "DOCUMENTS"), home() + "/Documents");
}

TEST(ParseUserDirs, ReadsOnlyWellFormedValues) {
  struct Case {
    std::string_view text;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"XDG_DESKTOP_DIR=\"$HOME/Desk top\"", "/h/Desk top"},
      {"  XDG_DESKTOP_DIR = \"/abs/d\"\n", "/abs/d"},
      {"XDG_DESKTOP_DIR=\"$HOME\"", "/h"},
      {"XDG_DESKTOP_DIR=\"$HOME/a\\\"b\"", "/h/a\"b"},
      {"XDG_DESKTOP_DIR=\"/first\"\nXDG_DESKTOP_DIR=\"/second\"\n", "/second"},
      {"XDG_DESKTOP_DIR=\"/good\"\nXDG_DESKTOP_DIR=\"relative\"\n", "/good"},
      {"XDG_DESKTOP_DIR=\"/unterminated", std::nullopt},
      {"XDG_DESKTOP_DIR=/unquoted", std::nullopt},
      {"XDG_DESKTOP_DIR=\"$HOMEX/a\"", std::nullopt},
      {"XDG_DESKTOP_DIRX=\"/a\"", std::nullopt},
      {"# XDG_DESKTOP_DIR=\"/a\"", std::nullopt},
      {"XDG_DESKTOP_DIR=\"/trailing\\", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_user_dirs(c.text, "XDG_DESKTOP_DIR", "/h"), c.expected) << c.text;
  }
}

}  // namespace
}  // namespace kovw::foundation
