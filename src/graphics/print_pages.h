#pragma once
// How a graphics print job lies on the paper: its orientation, the world turned to match it,
// and how many pages across and down it needs. World units count as hundredths of a millimetre
// here, with 20 mm of tolerance per direction.

#include <cstdint>

namespace kovw::graphics {

inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;
inline constexpr int kPosterOverlapDots = 4;  // pages of a poster overlap by this much
inline constexpr int kPosterPagesMax = 32;    // more pages per direction are not taken

struct PrintRequest {
  std::int32_t world_width = 0;
  std::int32_t world_height = 0;
  int options = 0;           // the record's window and print options (offset 296)
  int window_flags = 0;      // offset 74: 0x0002 landscape when wider, 0x0004 fit on one page
  int orientation_byte = 0;  // window options byte 127 (0 portrait, 1 landscape)
  int poster_across = 0;     // window options bytes 220 and 221
  int poster_down = 0;
  bool poster_enabled = false;    // the setting allows poster printing
  bool chosen_in_dialog = false;  // the printer came from the print dialog
  double page_width_mm = 0;       // the printable page in portrait
  double page_height_mm = 0;
};

struct PrintLayout {
  int orientation = kPortrait;
  std::int32_t world_width = 0;  // turned to match the orientation
  std::int32_t world_height = 0;
  int across = 1;
  int down = 1;
  bool poster = false;          // more than one page: the record's option 0x08
  bool poster_refused = false;  // asked for but not enabled in the settings
};

PrintLayout print_layout(const PrintRequest& request);

// The paper a graphics print job asks for in its window options (byte 108, and for user sizes
// the integers at 208 and 216 in hundredths of a millimetre), in portrait, in millimetres
// rounded to tenths. A user size that is not positive falls back to A4.
struct PaperSize {
  double width_mm = 210;
  double height_mm = 297;
};
PaperSize paper_from_options(int code, std::int32_t user_width, std::int32_t user_height);

// Pages needed for `world` units (hundredths of a millimetre) on `page_mm` of paper.
int pages_for(std::int32_t world, double page_mm);

}  // namespace kovw::graphics
