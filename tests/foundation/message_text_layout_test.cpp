#include "foundation/message_text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/show_message.h"

namespace kovw::foundation {
namespace {

TEST(MessageBoxText, LineBreaksFromEscapesControlsAndLongLines) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::string thirty(30, 'a');
  const std::string thirty_one(31, 'a');
  const Case cases[] = {
      {"one\\ntwo", "one\ntwo"},
      {"one\rtwo\nthree", "one\ntwo\nthree"},
      {"one\r\ntwo", "one\ntwo"},      // CR LF is one break
      {"one\n\ntwo", "one\n\ntwo"},    // an empty line stays
      {"back\\slash", "back\\slash"},  // a lone backslash stays
      {"end\\", "end\\"},
      {thirty + " b", thirty + " b"},  // 30 characters: the blank stays
      {thirty_one + " b", thirty_one + "\nb"},
      {thirty_one + "\\n" + thirty + " x", thirty_one + "\n" + thirty + " x"},
      // Several breaks in a row: the count restarts after each.
      {thirty_one + " " + thirty_one + " c", thirty_one + "\n" + thirty_one + "\nc"},
  };
  for (const Case& c : cases) EXPECT_EQ(message_box_text(c.in), c.out) << c.in;

  // Umlauts count as one character each, not as their two bytes.
  std::string umlauts;
  for (int i = 0; i < 30; ++i) umlauts += "ä";
  EXPECT_EQ(message_box_text(umlauts + " x"), umlauts + " x");
  EXPECT_EQ(message_box_text(umlauts + "ä x"), umlauts + "ä\nx");
}

TEST(MessageTextToUtf8, AnsiAndUtf8Input) {
  EXPECT_EQ(message_text_to_utf8("Gr\xF6\xDF"
                                 "e \x80",
                                 false),
            "Größe €");
  EXPECT_EQ(message_text_to_utf8("Größe", false), "Größe");  // already UTF-8
  EXPECT_EQ(message_text_to_utf8("a\xF6z", true), "a\xEF\xBF\xBDz");
  EXPECT_EQ(message_text_to_utf8("\xC0\xAF", true), "\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong
  EXPECT_EQ(message_text_to_utf8("\xED\xA0\x80", false), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
  EXPECT_EQ(message_text_to_utf8("\xF0\x9F\x98\x80", true), "\xF0\x9F\x98\x80");
  EXPECT_EQ(message_text_to_utf8("\xE2\x82", true), "\xEF\xBF\xBD\xEF\xBF\xBD");  // cut short
}

std::vector<int> answers(const std::vector<MessageButtonSpec>& buttons) {
  std::vector<int> result;
  for (const auto& b : buttons) result.push_back(b.answer);
  return result;
}

std::vector<int> labels(const std::vector<MessageButtonSpec>& buttons) {
  std::vector<int> result;
  for (const auto& b : buttons) result.push_back(b.label_number);
  return result;
}

TEST(MessageButtons, ButtonSetsIconsAndDefaults) {
  struct Case {
    int flags;
    std::vector<int> answers;
    MessageIcon icon;
    int default_answer;
  };
  const Case cases[] = {
      {0, {1}, MessageIcon::Information, 1},
      {1, {1, 2}, MessageIcon::Question, 6},
      {2, {3, 4, 5}, MessageIcon::Question, 6},
      {3, {6, 7, 2}, MessageIcon::Question, 6},
      {4, {6, 7}, MessageIcon::Question, 6},
      {5, {4, 2}, MessageIcon::Question, 6},
      {6, {2, 4, 5}, MessageIcon::Question, 6},
      {8, {1}, MessageIcon::Information, 1},  // flags & 7 is 0
      {0x4000 | 4, {6, 7}, MessageIcon::Question, 6},
      {0x20, {1}, MessageIcon::Information, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    EXPECT_EQ(answers(message_buttons(c.flags)), c.answers);
    EXPECT_EQ(message_icon(c.flags), c.icon);
    EXPECT_EQ(message_default_answer(c.flags), c.default_answer);
  }
  EXPECT_EQ(labels(message_buttons(3)), (std::vector<int>{20003, 20004, 20002}));
  EXPECT_EQ(labels(message_buttons(6)), (std::vector<int>{20002, 20005, 20006}));
  EXPECT_EQ(labels(message_buttons(2)), (std::vector<int>{0, 20005, 0}));
}

TEST(MessageDialog, ButtonsUseOnlyTableLabels) {
  EXPECT_EQ(answers(message_dialog_buttons(0)), (std::vector<int>{1}));
  EXPECT_EQ(answers(message_dialog_buttons(5)), (std::vector<int>{4, 2}));
  EXPECT_EQ(answers(message_dialog_buttons(2)), (std::vector<int>{2, 4, 5}));
  EXPECT_EQ(labels(message_dialog_buttons(2)), (std::vector<int>{20002, 20005, 20006}));
  EXPECT_EQ(answers(message_dialog_buttons(3)), (std::vector<int>{6, 7, 2}));
}

TEST(MessageDialog, FirstTenLinesWithoutLeadingBlanksAndTabs) {
  std::string text = "  \tfirst\tline\n";
  for (int i = 2; i <= 12; ++i) text += "line " + std::to_string(i) + "\n";
  const auto lines = message_dialog_lines(text);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "first line");
  EXPECT_EQ(lines[9], "line 10");
  EXPECT_EQ(message_dialog_lines("only"), (std::vector<std::string>{"only"}));
  EXPECT_EQ(message_dialog_lines("a\n   "), (std::vector<std::string>{"a", ""}));
}

}  // namespace
}  // namespace kovw::foundation
