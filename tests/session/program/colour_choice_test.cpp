// KWK_KGETCOL: the colour chosen or the colour sent, and the custom colours kept with the
// settings, on a fake context.

#include <mutex>

#include "platform/colour_chooser.h"
#include "protocol/program/host_requests.h"
#include "session/context_fixture.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

// Stands in for the user at the colour chooser.
class ScriptedColourUser : public platform::ColourResponder {
 public:
  platform::ColourChoice choose(QRgb initial, const platform::CustomColours& custom) override {
    std::lock_guard lock(mutex);
    offered = initial;
    offered_custom = custom;
    platform::ColourChoice choice{chosen.has_value(), chosen.value_or(initial), custom};
    choice.custom[0] = 0x00112233;  // the user adds a custom colour
    return choice;
  }
  std::mutex mutex;
  std::optional<QRgb> chosen;  // none: the user cancels
  std::optional<QRgb> offered;
  platform::CustomColours offered_custom{};
};

class ColourChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_app();
    stored_.fill(0);
    stored_[15] = 0x00FF0000;  // blue
    fake_.host.load_custom_colours = [this] {
      std::lock_guard lock(stored_mutex_);
      return stored_;
    };
    fake_.host.save_custom_colours = [this](const platform::CustomColours& colours) {
      std::lock_guard lock(stored_mutex_);
      stored_ = colours;
    };
  }
  void TearDown() override { platform::set_colour_responder(nullptr); }

  std::vector<std::int32_t> choose(protocol::Colour colour) {
    return read_ints(fake_.ask(protocol::build_kgetcol(colour)).payload);
  }

  FakeContext fake_;
  std::mutex stored_mutex_;
  platform::CustomColours stored_{};
  ScriptedColourUser user_colours_;
};

TEST_F(ColourChoiceTest, ChosenColourIsAnsweredAndCustomColoursAreKept) {
  platform::set_colour_responder(&user_colours_);
  user_colours_.chosen = qRgb(10, 200, 30);
  EXPECT_EQ((std::vector<std::int32_t>{10, 200, 30, protocol::kChoiceChosen}),
            choose({255, 128, 0}));
  EXPECT_EQ(std::optional<QRgb>(qRgb(255, 128, 0)), user_colours_.offered);
  EXPECT_EQ(0x00FF0000u, user_colours_.offered_custom[15]);  // loaded from the settings
  std::lock_guard lock(stored_mutex_);
  EXPECT_EQ(0x00112233u, stored_[0]);  // saved to them
}

TEST_F(ColourChoiceTest, CancelledChoiceAnswersTheColourSent) {
  platform::set_colour_responder(&user_colours_);
  EXPECT_EQ((std::vector<std::int32_t>{1, 2, 3, protocol::kChoiceCancelled}), choose({1, 2, 3}));
}

// Unattended runs show no chooser: the choice is cancelled.
TEST_F(ColourChoiceTest, UnattendedRunAnswersCancelledWithoutDialog) {
  setenv(foundation::kUnattendedVariable, "1", 1);
  EXPECT_EQ((std::vector<std::int32_t>{7, 8, 9, protocol::kChoiceCancelled}), choose({7, 8, 9}));
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_FALSE(widget->inherits("QColorDialog") && widget->isVisible());
}

}  // namespace
}  // namespace kovw::session::test
