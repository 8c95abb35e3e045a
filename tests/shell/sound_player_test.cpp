// The sounds of the workstation go to the installed player; the start sound of the day is the
// company sound when there is one, and nothing otherwise.
#include "shell/sound_player.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

namespace kovw::shell {
namespace {

TEST(SoundPlayer, StartSoundIsTheCompanySoundWhenItHasContent) {
  QTemporaryDir data;
  std::vector<std::string> played;
  set_sound_player([&](const std::string& path) {
    played.push_back(path);
    return true;
  });
  const std::string dir = data.path().toStdString();
  EXPECT_FALSE(play_start_sound(dir, true));  // none there
  std::ofstream(dir + "/compjingle.wav");     // empty
  EXPECT_FALSE(play_start_sound(dir, false));
  std::ofstream(dir + "/compjingle.wav") << "RIFF";
  EXPECT_TRUE(play_start_sound(dir, false));
  EXPECT_EQ(played, std::vector<std::string>{dir + "/compjingle.wav"});
  set_sound_player({});
}

}  // namespace
}  // namespace kovw::shell
