#include "foundation/path_synonyms.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace kovw::foundation {
namespace {

namespace fs = std::filesystem;

// A temporary home with the synonyms the tests use unset; everything is restored afterwards.
class PathSynonyms : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables) {
      if (const char* value = std::getenv(name)) saved_[name] = value;
      ::unsetenv(name);
    }
    home_ = fs::temp_directory_path() / ("kovw-paths-" + std::to_string(::getpid()));
    fs::remove_all(home_);
    fs::create_directories(home_);
    ::setenv("HOME", home_.c_str(), 1);
  }
  void TearDown() override {
    set_install_path_provider({});
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
      "HOME",   "XDG_DATA_HOME", "XDG_CONFIG_HOME", "PRT",       "HW", "APPDATA",
      "SYSTEM", "DESKTOP",       "KOVW_TEST_LONG",  "WIN:SYSTEM"};
  std::map<std::string, std::string> saved_;
  fs::path home_;
};

constexpr int kPlain = kPathNoShortcuts;  // pure string resolution, no file system look-ups

TEST_F(PathSynonyms, ReplacesTheFirstComponentByItsEnvironmentValue) {
  ::setenv("PRT", "/x/log", 1);
  ::setenv("HW", "C:\\d\\x", 1);
  struct Case {
    std::string_view source;
    std::string expected;
  };
  const Case cases[] = {
      {"PRT/SYSLOG", "/x/log/SYSLOG"},
      {"PRT\\SYSLOG", "/x/log/SYSLOG"},
      {"PRT", "/x/log"},         // a path of one component is all synonym
      {"PRT   ", "/x/log"},      // trailing blanks dropped
      {"HW.ini", "C:/d/x.ini"},  // the synonym ends at a dot; value separators converted
      {"HW/unicode/a.uct", "C:/d/x/unicode/a.uct"},
      {"TMPX/SYSLOG", "TMPX/SYSLOG"},  // no such variable: used literally
      {"C:\\temp\\x", "C:/temp/x"},    // a drive prefix resolves to itself
      {"/abs\\path", "/abs/path"},     // no synonym before a leading separator
      {"./PRT", "./PRT"},
      {"prt/SYSLOG", "prt/SYSLOG"},  // names are case-sensitive
      {"", ""},
      {std::string_view("PRT/a\0b", 7), "/x/log/a"},  // a zero byte ends the source
  };
  for (const auto& c : cases) EXPECT_EQ(resolve_path(c.source, 0, kPlain), c.expected) << c.source;

  ::unsetenv("PRT");
  EXPECT_EQ(resolve_path("PRT/SYSLOG", 0, kPlain), "PRT/SYSLOG");
  ::setenv("PRT", "", 1);  // an empty value counts as none
  EXPECT_EQ(resolve_path("PRT/SYSLOG", 0, kPlain), "PRT/SYSLOG");
}

TEST_F(PathSynonyms, WindowsFolderSynonyms) {
  EXPECT_EQ(resolve_path("WIN:APPDATA/kovw", 0, kPlain), home() + "/.local/share/kovw");
  ::setenv("XDG_DATA_HOME", "/xdg/data", 1);
  EXPECT_EQ(resolve_path("WIN:APPDATA\\kovw", 0, kPlain), "/xdg/data/kovw");
  EXPECT_EQ(resolve_path("WIN:NOSUCH/x", 0, kPlain), "WIN:NOSUCH/x");
  // A row without counterpart falls back to the variable of the whole synonym.
  ::setenv("WIN:SYSTEM", "/env/sys", 1);
  EXPECT_EQ(resolve_path("WIN:SYSTEM/x", 0, kPlain), "/env/sys/x");

  // Flag 8 tries the folder first; without it the environment decides.
  ::setenv("APPDATA", "/env/appdata", 1);
  EXPECT_EQ(resolve_path("APPDATA/kovw", 0, kPlain), "/env/appdata/kovw");
  EXPECT_EQ(resolve_path("APPDATA/kovw", 0, kPlain | kPathWindowsFolderFirst), "/xdg/data/kovw");
  ::setenv("SYSTEM", "/env/system", 1);
  EXPECT_EQ(resolve_path("SYSTEM/x", 0, kPlain | kPathWindowsFolderFirst), "/env/system/x");
}

TEST_F(PathSynonyms, LimitsAndQuotes) {
  const std::string_view command = "\"/opt/my prog/run\" -x \"a b\"";
  EXPECT_EQ(resolve_path(command, kPathFirstWord, kPlain), "/opt/my prog/run");
  EXPECT_EQ(resolve_path(command, kPathFirstWord, kPlain | kPathKeepQuotes),
            "\"/opt/my prog/run\"");
  EXPECT_EQ(resolve_path("/bin/ls -l", kPathFirstWord, kPlain), "/bin/ls");
  EXPECT_EQ(resolve_path("/my prog/x  -a", kPathDoubleBlank, kPlain), "/my prog/x");
  EXPECT_EQ(resolve_path("\"/a  b\"  c", kPathDoubleBlank, kPlain), "/a  b");
  EXPECT_EQ(resolve_path("/abcdef", 4, kPlain), "/abc");
  ::setenv("PRT", "/x/log", 1);
  EXPECT_EQ(resolve_path("PRT/SYSLOG", 3, kPlain), "/x/log");
  // Keep-quotes only applies when the source had quotes.
  EXPECT_EQ(resolve_path("/a/b", 0, kPlain | kPathKeepQuotes), "/a/b");

  // Quote-if-blank.
  EXPECT_EQ(resolve_path("C:/a b/c", 0, kPlain | kPathQuoteIfBlank), "\"C:/a b/c\"");
  EXPECT_EQ(resolve_path("C:\\a b\\c", 0, kPlain | kPathQuoteIfBlank), "\"C:/a b/c\"");
  EXPECT_EQ(resolve_path("C:/ab/c", 0, kPlain | kPathQuoteIfBlank), "C:/ab/c");
  EXPECT_EQ(resolve_path("\"C:/a b/c\"", 0, kPlain | kPathQuoteIfBlank | kPathKeepQuotes),
            "\"C:/a b/c\"");
}

TEST_F(PathSynonyms, AResultThatDoesNotFitIsRefusedNotCut) {
  const std::string longest(kPathMax, 'a');
  EXPECT_EQ(resolve_path(longest, 0, kPlain), longest);
  EXPECT_EQ(resolve_path(longest + "a", 0, kPlain), std::nullopt);
  EXPECT_EQ(resolve_path(longest + "  ", 0, kPlain), longest);  // trailing blanks are dropped
  // Only what the limit reads counts.
  EXPECT_EQ(resolve_path("/x " + longest, kPathFirstWord, kPlain), "/x");
  // The value makes it too long.
  ::setenv("KOVW_TEST_LONG", std::string(kPathMax - 5, 'v').c_str(), 1);
  EXPECT_TRUE(resolve_path("KOVW_TEST_LONG/abcd", 0, kPlain).has_value());
  EXPECT_EQ(resolve_path("KOVW_TEST_LONG/abcde", 0, kPlain), std::nullopt);
  // The quotes of flag 2 make it too long.
  std::string blanks = "/a b" + std::string(kPathMax - 4, 'c');
  EXPECT_EQ(resolve_path(blanks, 0, kPlain)->size(), kPathMax);
  EXPECT_EQ(resolve_path(blanks, 0, kPlain | kPathQuoteIfBlank), std::nullopt);
}

TEST_F(PathSynonyms, FollowsFolderLinksForMissingDirectories) {
  fs::create_directories(home_ / "real/sub");
  fs::create_symlink(home_ / "real", home_ / "short.lnk");
  fs::create_directories(home_ / "base/real2");
  fs::create_directory_symlink("real2", home_ / "base/rel.lnk");  // relative target
  write(home_ / "plain.lnk", "not a link");
  fs::create_directories(home_ / "plain");
  const std::string h = home();

  EXPECT_EQ(resolve_path(h + "/short/sub/f.txt"), h + "/real/sub/f.txt");
  EXPECT_EQ(resolve_path(h + "/short/f.txt"), h + "/real/f.txt");
  EXPECT_EQ(resolve_path(h + "/base/rel/f"), h + "/base/real2/f");
  EXPECT_EQ(resolve_path(h + "/short/sub/f.txt", 0, kPathNoShortcuts), h + "/short/sub/f.txt");
  // An existing path, a path with no link, and a .lnk that is not a symbolic link stay.
  EXPECT_EQ(resolve_path(h + "/real/sub"), h + "/real/sub");
  EXPECT_EQ(resolve_path(h + "/none/x"), h + "/none/x");
  EXPECT_EQ(resolve_path(h + "/plainx/x"), h + "/plainx/x");
  fs::remove(home_ / "plain");
  EXPECT_EQ(resolve_path(h + "/plain/x"), h + "/plain/x");
  // The quotes are added around the resolved path.
  EXPECT_EQ(resolve_path("\"" + h + "/short/a b\"", 0, kPathKeepQuotes), "\"" + h + "/real/a b\"");
}

TEST_F(PathSynonyms, ExpandsNamesFromTheEnvironmentAndTheTable) {
  bool replaced = false;
  EXPECT_EQ(expand_names("%DESKTOP%/f.txt", &replaced), home() + "/Desktop/f.txt");
  EXPECT_TRUE(replaced);
  write(home_ / ".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
  EXPECT_EQ(expand_names("%DESKTOP%\\f.txt"), home() + "/Schreibtisch\\f.txt");
  ::setenv("DESKTOP", "/from/env", 1);  // the environment comes first
  EXPECT_EQ(expand_names("%DESKTOP%/f.txt"), "/from/env/f.txt");

  struct Case {
    std::string_view source;
    std::string expected;
    bool replaced;
  };
  const Case cases[] = {
      {"", "", false},
      {"plain.txt", "plain.txt", false},
      {"%KOVW_NO_SUCH_NAME%/x", "%KOVW_NO_SUCH_NAME%/x", false},
      {"100%%", "100%", false},
      {"a%%b%%c", "a%b%c", false},
      {"50% off", "50% off", false},
      {"%IE_PATH%/x", "%IE_PATH%/x", false},  // no counterpart here
      {"%OPERA_PLUGIN%", "%OPERA_PLUGIN%", false},
      {"%FAVORITES%", "%FAVORITES%", false},
      {"%desktop%", "%desktop%", false},    // case-sensitive
      {"%KOVW%/bin", "%KOVW%/bin", false},  // no installation directory known
      {"%NOPE%%APPDATA%", "%NOPE%" + home() + "/.local/share", true},
      {"%APPDATA%/a%", home() + "/.local/share/a%", true},
      {std::string_view("%APPDATA%\0%x", 12), home() + "/.local/share", true},
  };
  for (const auto& c : cases) {
    replaced = !c.replaced;
    EXPECT_EQ(expand_names(c.source, &replaced), c.expected) << c.source;
    EXPECT_EQ(replaced, c.replaced) << c.source;
  }

  ::setenv("KOVW_TEST_LONG", std::string(kPathMax, 'v').c_str(), 1);
  EXPECT_EQ(expand_names("%KOVW_TEST_LONG%"), std::string(kPathMax, 'v'));
  EXPECT_EQ(expand_names("%KOVW_TEST_LONG%x"), std::nullopt);
}

TEST_F(PathSynonyms, InstallDirectoryComesFromTheProvider) {
  set_install_path_provider([] { return std::string("/opt/kovw"); });
  EXPECT_EQ(expand_names("%KOVW%/bin"), "/opt/kovw/bin");
  set_install_path_provider([] { return std::string(); });
  EXPECT_EQ(expand_names("%KOVW%/bin"), "%KOVW%/bin");
}

TEST_F(PathSynonyms, BrowserFolders) {
  EXPECT_EQ(expand_names("%MOZILLA_PLUGIN%"), "%MOZILLA_PLUGIN%");
  EXPECT_EQ(expand_names("%MOZILLA_PROFILE%"), "%MOZILLA_PROFILE%");  // no profiles.ini
  write(home_ / ".mozilla/firefox/profiles.ini",
        "[General]\nStartWithLastProfile=1\n\n"
        "[Profile0]\nName=default\nIsRelative=1\nPath=abc.default\nDefault=1\n");
  EXPECT_EQ(expand_names("%MOZILLA_PLUGIN%"), home() + "/.mozilla/plugins");
  EXPECT_EQ(expand_names("%MOZILLA_PROFILE%/prefs.js"),
            home() + "/.mozilla/firefox/abc.default/prefs.js");
}

TEST(BrowserProfiles, ChoosesTheDefaultProfile) {
  struct Case {
    std::string_view ini;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      // The profile in use by the installation wins over Default=1.
      {"[Profile1]\nName=default\nIsRelative=1\nPath=a.default\nDefault=1\n"
       "[Profile0]\nName=default-release\nIsRelative=1\nPath=b.default-release\n"
       "[Install4F96D1932A9F858E]\nDefault=b.default-release\nLocked=1\n",
       "/p/b.default-release"},
      {"[Profile0]\r\nName=x\r\nIsRelative=1\r\nPath=x.one\r\n"
       "[Profile1]\r\nName=y\r\nIsRelative=0\r\nPath=/abs/y\r\nDefault=1\r\n",
       "/abs/y"},
      {"[Profile0]\nName=only\nIsRelative=1\nPath=Profiles\\only\n", "/p/Profiles/only"},
      {"[Profile0]\nPath=a\n[Profile1]\nPath=b\n", std::nullopt},  // two, none marked
      {"[Profile0]\nName=empty\nDefault=1\n", std::nullopt},       // no path
      {"[General]\nDefault=1\nPath=/x\n", std::nullopt},           // not a profile section
      {"Path=/x\nDefault=1\n[Profile0", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_browser_profiles(c.ini, "/p"), c.expected) << c.ini;
}

}  // namespace
}  // namespace kovw::foundation
