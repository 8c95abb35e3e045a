#pragma once
// How the print language and the print service report a failure: a numbered message of the
// message table, formatted with its values, a system error (0 when none) and a location
// number that tells where it was found (see kLocation*).

#include <string>

namespace kovw::print {

// Location numbers: the hundreds tell the part of the print service, the rest the step.
inline constexpr int kLocationDeviceSettings = 101;
inline constexpr int kLocationStartDocument = 102;
inline constexpr int kLocationStartPage = 103;
inline constexpr int kLocationEndPage = 104;
inline constexpr int kLocationBitmap = 201;
inline constexpr int kLocationBitmapData = 202;
inline constexpr int kLocationReadStream = 203;
inline constexpr int kLocationOverlay = 204;
inline constexpr int kLocationOpenPrinter = 301;
inline constexpr int kLocationRawPrint = 302;
inline constexpr int kLocationSpool = 303;

struct PrintError {
  int message = 0;       // message-table number
  int system_error = 0;  // 0 when none
  int location = 0;
  std::string text;  // the formatted message
};

class PrintErrorSink {
 public:
  virtual ~PrintErrorSink() = default;
  virtual void report(const PrintError& error) = 0;
};

// The text of message `number` in the user's language, formatted printf-like with the values.
std::string print_message(int number, ...);

}  // namespace kovw::print
