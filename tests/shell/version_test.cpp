#include "shell/version.h"

#include <gtest/gtest.h>

#include "shell/exit_code.h"
#include "shell/language_choice.h"

namespace kovw::shell {
namespace {

TEST(Version, WordShiftsInEveryRunOfDigits) {
  EXPECT_EQ(version_word("7.3/5"), 0x070305u);
  EXPECT_EQ(version_word("4.19/1"), 0x041301u);
  EXPECT_EQ(version_word(""), 0u);
  EXPECT_EQ(version_of("V 7.3/5 ;2026-12-10 05:00"), "7.3/5");
  EXPECT_EQ(version_of("V 7.3/5;x"), "7.3/5");
  EXPECT_EQ(window_title(), "KOV Workstation V " + version_of(version_text()));
}

TEST(ExitCode, LargeResultsMapToDocumentedSmallCodes) {
  EXPECT_EQ(process_exit_code(0), 0);
  EXPECT_EQ(process_exit_code(255), 255);
  EXPECT_EQ(process_exit_code(300017), kExitWorkflowHostError);
  EXPECT_EQ(process_exit_code(200000 + 10061), kExitWorkflowSystemError);
  EXPECT_EQ(process_exit_code(1000), kExitOtherResult);
}

TEST(Language, UserDefaultIsMappedByPrimaryLanguage) {
  EXPECT_EQ(language_of_locale("de_AT.UTF-8"), 1);
  EXPECT_EQ(language_of_locale("nb_NO"), 2);
  EXPECT_EQ(language_of_locale("pl_PL.UTF-8"), 6);
  EXPECT_EQ(language_of_locale("ja_JP"), 4);
  EXPECT_EQ(language_of_locale("C"), 4);
  EXPECT_EQ(choose_language(3), 3);
  EXPECT_EQ(font_charset(0), 1);
  EXPECT_EQ(font_charset(2), 238);
  EXPECT_EQ(font_charset(14), 129);
  EXPECT_EQ(font_charset(17), 1);
}

}  // namespace
}  // namespace kovw::shell
