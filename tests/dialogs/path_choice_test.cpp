// The path selection without a dialog: host filters, start places and the slash rule.

#include "dialogs/path_choice.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kovw::dialogs {
namespace {

TEST(HostFilterTest, PairsBecomeEntriesAndOddShapesAreMalformed) {
  struct Case {
    const char* filter;
    std::size_t entries;
    bool malformed;
  };
  const Case cases[] = {
      {"Texte | *.txt; *.asc | Alle | *.*", 2, false},  // three "|"
      {"Texte|*.txt", 1, false},                        // one
      {"*.txt", 0, true},                               // none
      {"Texte|*.txt|Alle", 1, true},                    // two: the last comment has no types
      {"A|*.a|B|*.b|C|*.c", 3, false},                  // five
      {"Leer| |Alle|*.*", 1, false},                    // a types part without types
  };
  for (const Case& c : cases) {
    const FilterConversion conversion = convert_host_filter(c.filter);
    EXPECT_EQ(c.entries, conversion.entries.size()) << c.filter;
    EXPECT_EQ(c.malformed, conversion.malformed) << c.filter;
  }
}

TEST(HostFilterTest, BlanksInsideTypesAreDroppedAndCommentsKeepTheirWords) {
  const FilterConversion conversion =
      convert_host_filter(" Text Dateien | *.t xt ;*.asc;; |Alle|*");
  ASSERT_EQ(2u, conversion.entries.size());
  EXPECT_EQ("Text Dateien", conversion.entries[0].comment);
  EXPECT_EQ((std::vector<std::string>{"*.txt", "*.asc"}), conversion.entries[0].patterns);
  EXPECT_EQ((QStringList{"Text Dateien (*.txt *.asc)", "Alle (*)"}),
            name_filters(conversion.entries));
}

TEST(HostFilterTest, ParenthesesOfACommentDoNotBecomePatterns) {
  const QStringList filters =
      name_filters(convert_host_filter("Bilder (alt)|*.pcx|| *.bmp").entries);
  EXPECT_EQ((QStringList{"Bilder [alt] (*.pcx)", "*.bmp (*.bmp)"}), filters);
}

TEST(StartPathTest, BackslashesAreReadAsSlashesAfterCollapsing) {
  EXPECT_EQ("/home/u/a.txt", local_start_path("\\home\\u\\a.txt", 0));
  EXPECT_EQ("/home/u/a.txt", local_start_path("\\\\home\\\\u\\\\a.txt", kPathDoubledBackslashes));
  // Without the flag every backslash is a separator of its own.
  EXPECT_EQ("//home//u", local_start_path("\\\\home\\\\u", 0));
  EXPECT_EQ("/home/u/a.txt", local_start_path("/home/u/a.txt", kPathDoubledBackslashes));
}

TEST(StartPathTest, AFolderStartsThereAndAFileInItsFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString root = QDir::cleanPath(dir.path());
  ASSERT_TRUE(QDir(root).mkdir("sub"));

  StartPlace folder = start_place(root + "/sub");
  EXPECT_EQ(root + "/sub", folder.folder);
  EXPECT_TRUE(folder.file.isEmpty());

  StartPlace file = start_place(root + "/sub/new.txt");  // need not exist (save)
  EXPECT_EQ(root + "/sub", file.folder);
  EXPECT_EQ("new.txt", file.file);

  StartPlace bare = start_place("name.txt");
  EXPECT_TRUE(bare.folder.isEmpty());
  EXPECT_EQ("name.txt", bare.file);

  EXPECT_TRUE(start_place("").folder.isEmpty());
}

TEST(AnswerPathTest, SlashRuleBothWaysAndDoubledBackslashes) {
  struct Case {
    HostPathRule rule;
    std::int32_t flags;
    const char* chosen;
    const char* answered;
  };
  const HostPathRule plain{};
  const HostPathRule keeps_new{true, 0x30008};
  const HostPathRule keeps_old{true, 0x30007};
  const Case cases[] = {
      {plain, 0, "/home/u/a.txt", "\\home\\u\\a.txt"},
      {plain, kPathDoubledBackslashes, "/home/u/a.txt", "\\\\home\\\\u\\\\a.txt"},
      {keeps_new, 0, "/home/u/a.txt", "/home/u/a.txt"},
      {keeps_new, kPathDoubledBackslashes, "/home/u/a.txt", "/home/u/a.txt"},
      {keeps_new, 0, "rel/a.txt", "rel/a.txt"},
      {keeps_old, 0, "/home/u/a.txt", "/home/u/a.txt"},  // begins with "/"
      {keeps_old, 0, "rel/a.txt", "rel\\a.txt"},
      {plain, kPathDoubledBackslashes, "/x/we\\ird", "\\\\x\\\\we\\\\ird"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.answered, host_answer_path(c.chosen, c.rule, c.flags)) << c.chosen;
}

TEST(AnswerPathTest, ADoubledAnswerReadBackNamesTheSameFile) {
  const std::string answered =
      host_answer_path("/home/u/b.txt", HostPathRule{}, kPathDoubledBackslashes);
  EXPECT_EQ("/home/u/b.txt",
            local_start_path(QString::fromStdString(answered), kPathDoubledBackslashes));
}

}  // namespace
}  // namespace kovw::dialogs
