#pragma once
// The command-line override record: the same fields as the settings record, plus the masks
// that say which fields the command line set. Applied over the settings after every load;
// while `mask` is not zero the settings are never written back as a whole.

#include <cstdint>

#include "shell/settings_record.h"

namespace kovw::shell {

// Bits of OverrideRecord::mask, by option.
enum OverrideBit : std::uint32_t {
  kOverrideStartProgram = 0x1,             // -c: "Start Program", "Command Line"
  kOverrideWorkingDirectory = 0x2,         // -d
  kOverrideFont = 0x4,                     // -f: "Font Name", "Font Size"
  kOverrideButtonFont = 0x8,               // -k: "Button Font", "Button Size"
  kOverrideAutoLogin = 0x10,               // -l
  kOverrideAutoEnd = 0x20,                 // -e
  kOverrideEnvironment = 0x40,             // -s, -u: the stored "Environ" entries are not read
  kOverrideHost = 0x80,                    // -r
  kOverrideUser = 0x100,                   // -b
  kOverrideDomain = 0x200,                 // -b domain part
  kOverridePassword = 0x400,               // -b password part
  kOverrideKovdPort = 0x800,               // -v
  kOverrideKovwPort = 0x1000,              // -w: "KOVW Port", "Automatic KOVW Port"
  kOverrideWorkflow = 0x2000,              // -x (not a settings field)
  kOverrideVirtualKeyboard = 0x4000,       // -y
  kOverridePrinterPort = 0x10000,          // -p: printer port, disable print service, auto port
  kOverrideSecureConnection = 0x20000,     // -g: "Secure Connection enabled"
  kOverridePingTimer = 0x40000,            // -a
  kOverrideInstallPath = 0x80000,          // -z
  kOverrideCryptedConnection = 0x100000,   // -g: "Crypted Connection enabled"
  kOverridePosterPrint = 0x200000,         // -pp, -pg
  kOverridePropFont = 0x400000,            // -fp
  kOverrideLanguage = 0x800000,            // -os
  kOverrideDoubleClick = 0x1000000,        // -od
  kOverrideSlowConnect = 0x2000000,        // -ol
  kOverrideAskPassword = 0x4000000,        // -b with password "*": ask before each login attempt
  kOverrideNoSyscolChange = 0x8000000,     // -of
  kOverrideCharset = 0x10000000,           // -oz
  kOverrideNoPasswordChange = 0x20000000,  // -op
  kOverrideBrowserNumber = 0x40000000,     // -h: send the browser number at login
};

// Bits of OverrideRecord::font_mask; they do not block writing the settings back.
enum FontOverrideBit : std::uint32_t {
  kFontOverrideFactor = 0x1,       // -ff: "Font Faktor"
  kFontOverrideLeastLoaded = 0x2,  // -lb: pick the least-loaded host
  kFontOverrideIconSize = 0x8,     // -fi, or derived by -ff: "Icon Size"
  kFontOverrideVideoPort = 0x10,   // -pv: "KOVW Videoport"
};

struct OverrideRecord {
  SettingsRecord values;
  std::uint32_t mask = 0;
  std::uint32_t font_mask = 0;
};

}  // namespace kovw::shell
