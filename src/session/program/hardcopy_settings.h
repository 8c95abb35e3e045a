#pragma once
// The choices of the window hardcopy that live for the whole process (kept from one hardcopy to
// the next), the rules that give a file name the extension of its format, the checks of the
// dialog's OK, and the process-wide flag that lets one hardcopy run at a time.

#include <atomic>
#include <string>

namespace kovw::session {

inline constexpr int kHardcopyPrint = 0;
inline constexpr int kHardcopyFile = 1;
inline constexpr int kHardcopyClipboard = 2;

inline constexpr int kHardcopyWholeWindow = 0;
inline constexpr int kHardcopyVisibleArea = 1;  // graphics windows only

// Page margins in hundredths of a millimetre.
struct HardcopyMargins {
  int left = 2500;
  int top = 1000;
  int right = 1000;
  int bottom = 1000;
};

struct HardcopySettings {
  int output = kHardcopyPrint;
  int format = 0;  // kHardcopyBmp, kHardcopyPcx, kHardcopyText, kHardcopyOemText
  int area = kHardcopyWholeWindow;
  bool no_heading = false;
  std::string file_name;     // UTF-8
  std::string printer_name;  // UTF-8; empty: the system's default printer when there is one
  HardcopyMargins margins;
  bool initialised = false;  // set by the first dialog of the process
};

// The process-wide record (GUI thread only).
HardcopySettings& hardcopy_settings();

// "bmp", "pcx", "txt" or "oem".
const char* format_extension(int format);

// The file name with the extension of `format`, replacing the extension it has (the dialog's
// start): "a/b.txt" -> "a/b.bmp", "a/b" -> "a/b.bmp". Empty stays empty.
std::string with_format_extension(const std::string& name, int format);
// A format radio changes the extension only when the name ends in "." and one of the four
// hardcopy extensions (in any case) and has at least five characters.
std::string switch_extension(const std::string& name, int format);
// OK appends the format's extension when the name's own differs: "x.doc" as text becomes
// "x.doc.txt"; "x.TXT" stays.
std::string append_extension(const std::string& name, int format);

// The dialog's OK: 0 when the choices can be taken, else the number of the message that says
// what is missing (40271 no file name, 40275 a text format for a graphics window, 40272 no
// printer). For 40275 the format becomes BMP.
int check_hardcopy_choices(HardcopySettings& settings, bool graphics_window);

// The heading line: "user:computer dd.mm.yyyy hh:mm:ss"; the names are cut to 63 and 64
// characters.
std::string hardcopy_heading(const std::string& user, const std::string& computer, int day,
                             int month, int year, int hour, int minute, int second);

// One hardcopy at a time in the process: the first try() wins until the guard is dropped.
class HardcopyActive {
 public:
  HardcopyActive() : owner_(!flag_.test_and_set()) {}
  ~HardcopyActive() {
    if (owner_) flag_.clear();
  }
  HardcopyActive(const HardcopyActive&) = delete;
  HardcopyActive& operator=(const HardcopyActive&) = delete;
  bool owner() const { return owner_; }

 private:
  static inline std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
  bool owner_;
};

}  // namespace kovw::session
