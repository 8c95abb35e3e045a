#include "shell/sound_player.h"

#include <sys/stat.h>

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <mutex>

#include "foundation/log.h"

namespace kovw::shell {

namespace {

std::mutex player_lock;
SoundPlayer installed;

// The first sound command of the desktop that exists, started detached with the file.
bool default_player(const std::string& path) {
  for (const char* command : {"pw-play", "paplay", "aplay"}) {
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(command));
    if (program.isEmpty()) continue;
    if (QProcess::startDetached(program, {QString::fromStdString(path)})) return true;
  }
  foundation::log_printf("Klang %s: keine Tonausgabe vorhanden", path.c_str());
  return false;
}

}  // namespace

void set_sound_player(SoundPlayer player) {
  std::lock_guard guard(player_lock);
  installed = std::move(player);
}

bool play_sound_file(const std::string& path) {
  SoundPlayer player;
  {
    std::lock_guard guard(player_lock);
    player = installed;
  }
  return player ? player(path) : default_player(path);
}

bool play_start_sound(const std::string& data_directory, bool always) {
  const std::string company = data_directory + "/compjingle.wav";
  struct stat status {};
  if (::stat(company.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
    return play_sound_file(company);
  if (always) foundation::log_printf("Startklang: kein Firmenklang %s", company.c_str());
  return false;
}

}  // namespace kovw::shell
