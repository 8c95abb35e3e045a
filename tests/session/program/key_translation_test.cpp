// The translation of key presses into host function keys: the three layouts with Shift, Ctrl
// and Alt, and the escape prefix.

#include <gtest/gtest.h>

#include "session/program/key_translation.h"

namespace kovw::session {
namespace {

constexpr int kNone = -1;

int number(int layout, HostKey key, int modifiers = 0) {
  return layout_number(layout, key, modifiers).value_or(kNone);
}

// The function keys F1 to F12 of layouts 0 and 1: plain, Shift, Ctrl.
TEST(KeyTranslation, FunctionKeysOfLayoutsZeroAndOne) {
  const int layout0[12][3] = {{20, 207, 16}, {25, 36, 17}, {1, 10, 28},   {29, 7, 99},
                              {23, 78, 24},  {11, 12, 13}, {40, 21, 22},  {42, 44, 41},
                              {45, 75, 39},  {34, 77, 50}, {33, 206, 35}, {30, 79, 26}};
  const int layout1[12][3] = {{20, 207, 16}, {25, 75, 17}, {1, 99, 28},  {7, 45, 29},
                              {23, 39, 24},  {11, 35, 50}, {22, 36, 21}, {42, 26, 41},
                              {44, 206, 43}, {34, 79, 33}, {13, 77, 12}, {30, 78, 40}};
  for (int f = 1; f <= 12; ++f) {
    SCOPED_TRACE(f);
    const HostKey key = function_key(f);
    EXPECT_EQ(layout0[f - 1][0], number(0, key));
    EXPECT_EQ(layout0[f - 1][1], number(0, key, kModShift));
    EXPECT_EQ(layout0[f - 1][2], number(0, key, kModCtrl));
    EXPECT_EQ(layout1[f - 1][0], number(1, key));
    EXPECT_EQ(layout1[f - 1][1], number(1, key, kModShift));
    EXPECT_EQ(layout1[f - 1][2], number(1, key, kModCtrl));
  }
  EXPECT_EQ(kNone, number(0, HostKey::F13));
  EXPECT_EQ(kNone, number(1, HostKey::Help));
}

TEST(KeyTranslation, CommonKeysLayoutTwoAndModifierRules) {
  struct Case {
    int layout;
    HostKey key;
    int modifiers;
    int expected;
  };
  const Case cases[] = {
      // Keys of every layout.
      {0, HostKey::Backspace, 0, 202},
      {2, HostKey::Backspace, kModCtrl, 204},
      {1, HostKey::Tab, kModShift, 19},
      {2, HostKey::Return, 0, 2},
      {0, HostKey::PageUp, kModCtrl, 48},
      {1, HostKey::PageDown, kModShift, 49},
      {0, HostKey::Select, 0, 15},
      {2, HostKey::End, kModShift, 32},
      {0, HostKey::Home, kModCtrl, 31},
      {0, HostKey::Left, 0, 200},
      {0, HostKey::Left, kModShift, 40},
      {0, HostKey::Left, kModCtrl, 46},
      {1, HostKey::Up, kModCtrl, 38},
      {2, HostKey::Right, kModCtrl, 47},
      {0, HostKey::Down, 0, 9},
      {0, HostKey::Down, kModCtrl, 37},
      {0, HostKey::Insert, kModShift, 34},
      {0, HostKey::Insert, kModCtrl, 33},
      {1, HostKey::Delete, 0, 203},
      // Print Screen in layouts 0 and 1 only.
      {0, HostKey::PrintScreen, 0, 10},
      {1, HostKey::PrintScreen, kModShift, 10},
      {2, HostKey::PrintScreen, 0, kNone},
      // Layout 2: F1 to F4 ignore modifiers, no F5 (F6 is the prefix), the extended keys.
      {2, HostKey::F1, kModCtrl, 20},
      {2, HostKey::F2, kModShift, 25},
      {2, HostKey::F3, 0, 1},
      {2, HostKey::F4, kModShift, 7},
      {2, HostKey::F5, 0, kNone},
      {2, HostKey::F7, 0, 23},
      {2, HostKey::F7, kModCtrl, 24},
      {2, HostKey::F8, kModShift, 50},
      {2, HostKey::F9, 0, 22},
      {2, HostKey::F10, kModCtrl, 39},
      {2, HostKey::F11, 0, 42},
      {2, HostKey::F12, kModShift, 43},
      {2, HostKey::F13, 0, 34},
      {2, HostKey::F14, kModCtrl, 12},
      {2, HostKey::F15, 0, 99},
      {2, HostKey::Help, kModShift, 207},
      {2, HostKey::Execute, 0, 30},
      {2, HostKey::F16, kModCtrl, 40},
      {2, HostKey::OemE3, 0, 16},
      {2, HostKey::F17, kModShift, 35},
      {2, HostKey::OemE8, kModCtrl, 36},
      {2, HostKey::F19, 0, 28},
      {2, HostKey::OemE5, kModShift, 26},
      {2, HostKey::Pause, 0, 29},
      {2, HostKey::F20, kModCtrl, 206},
      {0, HostKey::F20, 0, kNone},
      // Shift wins over Ctrl.
      {0, HostKey::F7, kModShift | kModCtrl, 21},
      {0, HostKey::Left, kModShift | kModCtrl, 40},
      // With Alt only F4 (the end key) and F10 (its plain value).
      {0, HostKey::F4, kModAlt, 1},
      {1, HostKey::F4, kModAlt | kModShift, 1},
      {2, HostKey::F4, kModAlt, 7},
      {0, HostKey::F10, kModAlt, 34},
      {2, HostKey::F10, kModAlt | kModCtrl, 45},
      {0, HostKey::F7, kModAlt, kNone},
      {0, HostKey::Return, kModAlt, kNone},
      // Keys no table names, and a layout the setting cannot have (as layout 0).
      {0, HostKey::None, 0, kNone},
      {0, HostKey::Escape, 0, kNone},
      {7, HostKey::F7, 0, 40},
      {-1, HostKey::F4, 0, 29},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "layout " << c.layout << " key " << static_cast<int>(c.key)
                                    << " mod " << c.modifiers);
    EXPECT_EQ(c.expected, number(c.layout, c.key, c.modifiers));
  }
}

// Escape makes the next key act as Ctrl (layouts 0 and 1; Ctrl+Escape as Shift), in layout 2
// Escape and F6 act as Shift. The prefix waits through keys without a number and is used once.
// The key of a number: plain before Shift before Ctrl, and always one that gives the number.
TEST(KeyTranslation, KeyForNumberFindsTheKeyThatGivesIt) {
  EXPECT_EQ(key_for_number(0, 40), (KeyChord{HostKey::F7, 0}));
  EXPECT_EQ(key_for_number(0, 0x16), (KeyChord{HostKey::F7, kModCtrl}));
  EXPECT_EQ(key_for_number(0, 250), std::nullopt);
  for (int layout = 0; layout < kLayoutCount; ++layout)
    for (int n = 1; n < 256; ++n)
      if (const auto chord = key_for_number(layout, n)) {
        EXPECT_NE(chord->key, HostKey::Escape);
        EXPECT_EQ(layout_number(layout, chord->key, chord->modifiers), n)
            << "layout " << layout << " number " << n;
      }
}

TEST(KeyTranslation, EscapePrefix) {
  KeyTranslator keys;
  EXPECT_FALSE(keys.translate(0, HostKey::Escape, 0));
  EXPECT_EQ(kModCtrl, keys.pending());
  EXPECT_FALSE(keys.translate(0, HostKey::None, kModShift));  // a letter: no number, kept
  EXPECT_EQ(22, keys.translate(0, HostKey::F7, 0));           // as Ctrl+F7
  EXPECT_EQ(40, keys.translate(0, HostKey::F7, 0));           // used once

  EXPECT_FALSE(keys.translate(1, HostKey::Escape, kModCtrl));
  EXPECT_EQ(36, keys.translate(1, HostKey::F7, 0));  // as Shift+F7
  EXPECT_FALSE(keys.translate(1, HostKey::Escape, 0));
  EXPECT_EQ(79, keys.translate(1, HostKey::F10, kModShift));  // Shift held wins over the prefix

  EXPECT_FALSE(keys.translate(2, HostKey::Escape, 0));
  EXPECT_EQ(24, keys.translate(2, HostKey::F7, 0));  // as Shift+F7
  EXPECT_FALSE(keys.translate(2, HostKey::F6, 0));
  EXPECT_EQ(kModShift, keys.pending());
  EXPECT_EQ(50, keys.translate(2, HostKey::F8, 0));
  EXPECT_EQ(11, keys.translate(0, HostKey::F6, 0));  // F6 is a key of its own in layout 0

  // Alt+Escape belongs to the system; clear() forgets a prefix.
  EXPECT_FALSE(keys.translate(0, HostKey::Escape, kModAlt));
  EXPECT_EQ(0, keys.pending());
  keys.translate(0, HostKey::Escape, 0);
  keys.clear();
  EXPECT_EQ(40, keys.translate(0, HostKey::F7, 0));
}

}  // namespace
}  // namespace kovw::session
