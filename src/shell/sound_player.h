#pragma once
// Sounds of the workstation (the KMESSAGE sound, the start sound of the day): played
// asynchronously from a file, without a default sound. The player is a hook: the process
// installs one that hands the file to the desktop's sound command where one is found; without
// one the request is only logged.

#include <functional>
#include <string>

namespace kovw::shell {

using SoundPlayer = std::function<bool(const std::string& path)>;

// Replaces the player (tests install a recorder); an empty one restores the default.
void set_sound_player(SoundPlayer player);

// Plays the sound file at `path` without waiting for it. False (logged) when it cannot play.
bool play_sound_file(const std::string& path);

// The start sound of the day: the company sound "compjingle.wav" of the data directory when it
// exists and is not empty. The workstation has no sound of its own, so with `always` (-n+) and
// no company sound nothing plays (logged). True when a sound was started.
bool play_start_sound(const std::string& data_directory, bool always);

}  // namespace kovw::shell
