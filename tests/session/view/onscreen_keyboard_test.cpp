// The on-screen keyboard types into the widget that has the focus: keys with the modifiers its
// toggles hold, labels that follow them, function keys named after their host functions.

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <vector>

#include "dialogs/view/field_keyboard.h"
#include "session/session_fixture.h"
#include "session/view/onscreen_keyboard.h"

namespace kovw::session::test {
namespace {

// Records the key presses it gets.
class KeyRecorder : public QWidget {
 public:
  struct Press {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
  };
  std::vector<Press> presses;
  int releases = 0;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    presses.push_back({event->key(), event->modifiers(), event->text()});
  }
  void keyReleaseEvent(QKeyEvent*) override { ++releases; }
};

TEST(OnScreenKeyboardTest, TypesWithTheModifiersItHolds) {
  test_app();
  KeyRecorder target;
  OnScreenKeyboard keyboard(full_keyboard(), kFullKeyboardUnits, 0, nullptr);
  keyboard.resize(825, 224);
  keyboard.set_target(&target);

  QPushButton* q = keyboard.button(Qt::Key_Q);
  ASSERT_NE(nullptr, q);
  EXPECT_EQ("q", q->text());
  q->click();
  // Shift is a toggle: the labels show capitals until the next key, which clears it.
  keyboard.button(Qt::Key_Shift)->click();
  EXPECT_TRUE(keyboard.button(Qt::Key_Shift)->isChecked());
  EXPECT_EQ("Q", q->text());
  EXPECT_EQ("\"", keyboard.button(Qt::Key_2)->text());
  q->click();
  EXPECT_FALSE(keyboard.button(Qt::Key_Shift)->isChecked());
  EXPECT_EQ("q", q->text());
  // AltGr types the third column with Ctrl and Alt held.
  keyboard.button(Qt::Key_AltGr)->click();
  EXPECT_EQ("@", q->text());
  q->click();
  // Caps Lock stays; Shift is ignored meanwhile.
  keyboard.button(Qt::Key_CapsLock)->click();
  keyboard.button(Qt::Key_Shift)->click();
  EXPECT_FALSE(keyboard.button(Qt::Key_Shift)->isChecked());
  keyboard.button(Qt::Key_Adiaeresis)->click();
  keyboard.button(Qt::Key_Adiaeresis)->click();
  // Ctrl with a letter: the key with Ctrl held, no text.
  keyboard.button(Qt::Key_CapsLock)->click();
  keyboard.button(Qt::Key_Control)->click();
  keyboard.button(Qt::Key_C)->click();
  keyboard.button(Qt::Key_Space)->click();

  ASSERT_EQ(7u, target.presses.size());
  EXPECT_EQ(7, target.releases);
  const auto& p = target.presses;
  EXPECT_EQ(Qt::Key_Q, p[0].key);
  EXPECT_EQ(Qt::NoModifier, p[0].modifiers);
  EXPECT_EQ("q", p[0].text);
  EXPECT_EQ(Qt::ShiftModifier, p[1].modifiers);
  EXPECT_EQ("Q", p[1].text);
  EXPECT_EQ(Qt::ControlModifier | Qt::AltModifier, p[2].modifiers);
  EXPECT_EQ("@", p[2].text);
  EXPECT_EQ(QString::fromUtf8("Ä"), p[3].text);
  EXPECT_EQ(QString::fromUtf8("Ä"), p[4].text);  // Caps Lock stays
  EXPECT_EQ(Qt::Key_C, p[5].key);
  EXPECT_EQ(Qt::ControlModifier, p[5].modifiers);
  EXPECT_TRUE(p[5].text.isEmpty());
  EXPECT_EQ(" ", p[6].text);
  EXPECT_EQ(Qt::NoModifier, p[6].modifiers);
}

TEST(OnScreenKeyboardTest, FunctionKeysCarryTheHostFunctionNamesOfTheLayout) {
  test_app();
  OnScreenKeyboard keyboard(full_keyboard(), kFullKeyboardUnits, 0, nullptr);
  // Layout 0: F1 sends host function 20, with Shift 207; F3 sends 1 ("Ende").
  EXPECT_EQ("Sonderfunktion", keyboard.button(Qt::Key_F1)->text());
  keyboard.button(Qt::Key_Shift)->click();
  EXPECT_EQ("Progr.Wechsel", keyboard.button(Qt::Key_F1)->text());
}

TEST(OnScreenKeyboardTest, KeysFillTheirRowsWithoutOverlap) {
  test_app();
  for (const auto& [caps, units] : {std::pair{full_keyboard(), kFullKeyboardUnits},
                                    std::pair{numeric_keyboard(), kNumericKeyboardUnits}}) {
    OnScreenKeyboard keyboard(caps, units, 0, nullptr);
    keyboard.resize(units * 4, 224);
    keyboard.show();
    std::vector<QRect> placed;
    for (QPushButton* button : keyboard.findChildren<QPushButton*>()) {
      const QRect at = button->geometry();
      EXPECT_TRUE(keyboard.rect().contains(at)) << button->text().toStdString();
      for (const QRect& other : placed)
        EXPECT_FALSE(other.intersects(at)) << button->text().toStdString();
      placed.push_back(at);
    }
    EXPECT_GT(placed.size(), 20u);
  }
  OnScreenKeyboard numeric(numeric_keyboard(), kNumericKeyboardUnits, 0, nullptr);
  EXPECT_NE(nullptr, numeric.button(Qt::Key_7, true));
  EXPECT_EQ(nullptr, numeric.button(Qt::Key_Q));
}

}  // namespace
}  // namespace kovw::session::test

namespace kovw::session::test {
namespace {

TEST(OnScreenKeyboardTest, DialogFieldsShowTheirKeyboardWhileTheyHaveTheFocus) {
  test_app();
  auto owner = std::make_unique<QWidget>();
  open_onscreen_keyboards(owner.get(), 3, 0);
  std::vector<OnScreenKeyboard*> keyboards;
  for (QObject* child : owner->children())
    if (auto* keyboard = dynamic_cast<OnScreenKeyboard*>(child)) keyboards.push_back(keyboard);
  ASSERT_EQ(2u, keyboards.size());
  OnScreenKeyboard* full =
      keyboards[0]->width() > keyboards[1]->width() ? keyboards[0] : keyboards[1];
  OnScreenKeyboard* numeric = full == keyboards[0] ? keyboards[1] : keyboards[0];
  numeric->hide();  // the user closed it

  QWidget form;
  auto* amount = new QLineEdit(&form);
  auto* name = new QLineEdit(&form);
  auto* other = new QLineEdit(&form);
  dialogs::watch_field_for_keyboard(amount, true);
  dialogs::watch_field_for_keyboard(name, false);
  // Focus moves as the window system reports it.
  auto move_focus = [](QLineEdit* from, QLineEdit* to) {
    if (from != nullptr) {
      QFocusEvent out(QEvent::FocusOut);
      QApplication::sendEvent(from, &out);
    }
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(to, &in);
  };
  move_focus(nullptr, amount);
  EXPECT_TRUE(numeric->isVisible());  // a numeric field shows the numeric keyboard
  move_focus(amount, other);
  EXPECT_FALSE(numeric->isVisible());  // and hides it again: the fields had shown it
  move_focus(other, name);
  EXPECT_TRUE(full->isVisible());
  move_focus(name, other);
  EXPECT_TRUE(full->isVisible());  // it was shown before: leaving the field keeps it
  // A focused field that goes away lets go of its keyboard.
  move_focus(other, amount);
  delete amount;
  EXPECT_FALSE(numeric->isVisible());
  dialogs::set_field_keyboard_hook({});
}

}  // namespace
}  // namespace kovw::session::test
