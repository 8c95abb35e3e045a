#pragma once
// The program's colour model: the screen option record of its screen definition, normalised
// when it arrives, and the values the screens, frames, menus and dialogs draw with, derived
// from it whenever a screen is made. With the model off the record's colours are the system's.
// Plain C++: the system colours are handed in (system_colours.h).

#include <array>
#include <cstddef>
#include <cstdint>

#include "graphics/shades.h"
#include "protocol/program/screen_options.h"
#include "session/program/system_colours.h"

namespace kovw::session {

using protocol::Rgb;
using protocol::ScreenOptions;

// Host library from which the frame values 122 and 138 to 152 and the icon size are taken
// from the record.
inline constexpr std::int32_t kVersionModelFrameValues = 0x060A0D;

inline constexpr int kMinIconSize = 16;
inline constexpr int kModelFontCount = 7;
inline constexpr int kTextColourCount = 16;

// Frame types.
inline constexpr int kStandardFrame = 1;
inline constexpr int kOwnFrame = 2;

// Prepares a received record: clears the high bits of the model switch, gives the main font
// its default number and size, and with the model off applies the frame option rule and fills
// every colour that follows the system from `system`.
void normalise_screen_options(ScreenOptions& record, const SystemColourTable& system);

// Shades of the frames and buttons: the graphics layer's shade rule.
using graphics::compute_shades;
using graphics::Shades;

// A model font: a number into the program's table of 20 font names and a size in tenths of a
// point.
struct ModelFont {
  int number = 6;
  int size = 100;
  friend bool operator==(const ModelFont&, const ModelFont&) = default;
};

// The font pair at `offset` (number, then size) with the rules for blank and out-of-range
// bytes; the record is not changed.
ModelFont model_font(const ScreenOptions& record, std::size_t offset);

// What applying the model needs besides the record.
struct ModelContext {
  int screen_kind = 1;  // 1 text screen, 2 and 3 graphics, 4 icons, 5 icon style
  std::int32_t host_version = 0;
  int font_scale_percent = 100;  // the session's font scale
  int font_factor = 100;         // the "Font Faktor" in force (0 counts as 100)
};

// The session's model values.
class ColourModel {
 public:
  ColourModel() = default;

  bool on() const { return on_; }
  // The model colour at a colour offset of the record (with the model off, the system colour
  // the normalisation put there).
  Rgb colour(std::size_t offset) const { return protocol::option_colour(record_, offset); }
  // The same as 0xAARRGGBB (alpha 255), for smoothed drawing.
  std::uint32_t argb(std::size_t offset) const { return colour(offset).argb(); }
  // The raw byte of the record (frame values, options).
  std::uint8_t byte(std::size_t offset) const { return record_[offset]; }
  const ScreenOptions& record() const { return record_; }

  // The program's background and text colours (brush of the program windows).
  Rgb background() const { return background_; }
  Rgb text() const { return text_; }
  Rgb window_background() const { return window_background_; }
  Rgb window_text() const { return window_text_; }
  // 3-D edges.
  Rgb edge_highlight() const { return edge_highlight_; }
  Rgb edge_dark_shadow() const { return edge_dark_shadow_; }
  Rgb edge_light() const { return edge_light_; }
  Rgb edge_shadow() const { return edge_shadow_; }
  // Buttons, menus and captions.
  Rgb button_text() const { return colour(protocol::screen_option::kButtonText); }
  Rgb button_face() const { return colour(protocol::screen_option::kButtonFace); }
  Rgb menu_text() const { return colour(protocol::screen_option::kMenuText); }
  Rgb menu_background() const { return colour(protocol::screen_option::kMenuBackground); }
  Rgb context_menu_text() const { return colour(protocol::screen_option::kContextMenuText); }
  Rgb context_menu_background() const {
    return colour(protocol::screen_option::kContextMenuBackground);
  }
  Rgb caption() const { return colour(protocol::screen_option::kCaption); }
  Rgb caption_text() const { return colour(protocol::screen_option::kOwnFrameCaptionText); }

  // The nine shades: 0 from the button face, 1 from the highlighted face, 2 from the inactive
  // face.
  const Shades& shades(int set) const { return shades_[static_cast<std::size_t>(set)]; }
  // Model fonts 1 to 7 (index 0 to 6), with the size value fonts are created with.
  const ModelFont& font(int index) const { return fonts_[static_cast<std::size_t>(index)]; }
  int scaled_font_size(int index) const;

  int icon_size() const { return icon_size_; }
  int frame_type() const { return frame_type_; }
  int border_width() const { return record_[protocol::screen_option::kBorderWidth]; }
  // A frame value by its offset: 201 scaled by the font factor; 122 and 138 to 152 are 0 for
  // host libraries that do not send them.
  int frame_value(std::size_t offset) const;

  // Text screens: the 16 foreground and 16 background colours. Entries 0 to 7 are the basic
  // colours; 8 to 13 window background, window text, highlight, highlight text and two frame
  // colours; 14 and 15 the text and background colours.
  const std::array<Rgb, kTextColourCount>& foreground_table() const { return foreground_; }
  const std::array<Rgb, kTextColourCount>& background_table() const { return background_table_; }

  // The fifteen system colours a program with the own frame sets while it has the focus.
  SystemColourTable system_colours_to_set(const SystemColourTable& current) const;

 private:
  friend ColourModel apply_colour_model(ScreenOptions&, const ModelContext&,
                                        const SystemColourTable&);

  ScreenOptions record_{};
  bool on_ = false;
  Rgb background_, text_, window_background_, window_text_;
  Rgb edge_highlight_, edge_dark_shadow_, edge_light_, edge_shadow_;
  std::array<Shades, 3> shades_{};
  std::array<ModelFont, kModelFontCount> fonts_{};
  int font_scale_percent_ = 100;
  int font_factor_ = 100;
  int icon_size_ = kMinIconSize;
  int frame_type_ = kStandardFrame;
  bool frame_values_sent_ = false;
  std::array<Rgb, kTextColourCount> foreground_{};
  std::array<Rgb, kTextColourCount> background_table_{};
};

// Derives the model values from a normalised record (which gets the shade margin rule) for a
// screen of `context.screen_kind`.
ColourModel apply_colour_model(ScreenOptions& record, const ModelContext& context,
                               const SystemColourTable& system);

}  // namespace kovw::session
