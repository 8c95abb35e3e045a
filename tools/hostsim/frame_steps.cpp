#include "frame_steps.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "graphics/graphics_definition.h"
#include "protocol/little_endian.h"
#include "protocol/program/screen_options.h"
#include "script.h"

namespace hostsim {

namespace proto = kovw::protocol;
namespace gfx = kovw::graphics;

namespace {

// The host library version whose definition form the GDIGRA lines use (with the extended
// settings field).
constexpr std::int32_t kDefinitionVersion = 0x070305;

}  // namespace

std::vector<std::uint8_t> solid_icon(int rgb) {
  constexpr int kSide = 16;
  constexpr int kRow = kSide * 3;  // 48 bytes: a multiple of 4, no padding
  std::vector<std::uint8_t> file(54 + kRow * kSide, 0);
  auto put32 = [&file](std::size_t at, std::uint32_t v) { proto::put_le32(file.data() + at, v); };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, kSide);
  put32(22, kSide);
  proto::put_le16(file.data() + 26, 1);
  proto::put_le16(file.data() + 28, 24);
  put32(34, static_cast<std::uint32_t>(kRow * kSide));
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const bool frame = x == 2 || y == 2 || x == kSide - 3 || y == kSide - 3;
      const bool inside = x >= 2 && y >= 2 && x <= kSide - 3 && y <= kSide - 3;
      const int colour = frame && inside ? 0xFFFFFF : rgb;
      std::uint8_t* pixel = file.data() + 54 + y * kRow + x * 3;
      pixel[0] = static_cast<std::uint8_t>(colour);
      pixel[1] = static_cast<std::uint8_t>(colour >> 8);
      pixel[2] = static_cast<std::uint8_t>(colour >> 16);
    }
  }
  return file;
}

bool parse_frame_extra(const std::vector<std::string>& w, FrameExtras& extras, std::string& error) {
  const std::string& command = w[0];
  if (command == "OWNFRAME") {
    int border = 0, caption = 0, text = 0;
    if (w.size() != 4 || !script_int(w[1], border) || !script_int(w[2], caption) ||
        !script_int(w[3], text) || border < 0 || border > 255) {
      error = "OWNFRAME: BORDER 0xCAPTION 0xCAPTION_TEXT expected";
      return true;
    }
    extras.own_frame = true;
    extras.border = border;
    extras.caption = caption;
    extras.caption_text = text;
    return true;
  }
  if (command == "ICON" || command == "GICON") {
    int rgb = 0;
    if (w.size() != 3 || w[1].empty() || !script_int(w[2], rgb)) {
      error = command + ": \"name\" 0xRRGGBB expected";
      return true;
    }
    auto& icons = command == "ICON" ? extras.icons : extras.graphics_icons;
    icons.push_back(proto::HostIcon{w[1], solid_icon(rgb)});
    return true;
  }
  if (command == "GTOOL") {
    int key = 0;
    if (w.size() < 4 || w.size() > 5 || !script_int(w[3], key)) {
      error = "GTOOL: \"label\" \"icon\" KEY [\"help\"] expected";
      return true;
    }
    // A menu item record at the start of the wider toolbar item slot.
    std::vector<std::uint8_t> item(gfx::kToolbarItemSize, 0);
    const std::string help = w.size() > 4 ? w[4] : "";
    std::memcpy(item.data() + proto::kMenuLabelOffset, w[1].data(),
                std::min(w[1].size(), proto::kMenuLabelSize - 1));
    std::memcpy(item.data() + proto::kMenuHelpOffset, help.data(),
                std::min(help.size(), proto::kMenuHelpSize - 1));
    std::memcpy(item.data() + proto::kMenuIconNameOffset, w[2].data(),
                std::min<std::size_t>(w[2].size(), proto::kMenuIconNameSize - 1));
    item[proto::kMenuBarOffset] = 6;
    proto::put_le16(item.data() + proto::kMenuFunctionKeyOffset, static_cast<std::uint16_t>(key));
    extras.toolbar.insert(extras.toolbar.end(), item.begin(), item.end());
    return true;
  }
  return false;
}

void apply_screen_extras(FrameExtras& extras, proto::ScreenDefinition& screen) {
  namespace opt = proto::screen_option;
  if (extras.own_frame) {
    // The colour model on, in light colours: dark texts on light faces, a white window.
    constexpr int kText = 0x202020, kFace = 0xE8E8E8, kGrey = 0x808080, kShadow = 0xA0A0A0;
    const std::pair<std::size_t, int> model[] = {
        {opt::kButtonText, kText},
        {opt::kInactiveText, kGrey},
        {opt::kButtonFace, kFace},
        {opt::kInactiveFace, kFace},
        {opt::kHighlightedText, kText},
        {opt::kHighlightedFace, 0xD0E0F4},
        {opt::kMenuText, kText},
        {opt::kMenuBackground, 0xFAFAFA},
        {opt::kModelColour31, kText},
        {opt::kModelColour34, kFace},
        {opt::kBackground, kFace},
        {opt::kTextColour, kText},
        {opt::kWindowText, kText},
        {opt::kHighlight, 0x3875D7},
        {opt::kModelColour53, 0xF4F4F4},
        {opt::kEdgeHighlight, 0xFFFFFF},
        {opt::kEdgeDarkShadow, 0x404040},
        {opt::kMenuText2, kText},
        {opt::kMenuBackground2, 0xFAFAFA},
        {opt::kModelColour74, 0xF4F4F4},
        {opt::kModelColour77, kShadow},
        {opt::kHighlightText, 0xFFFFFF},
        {opt::kModelColour83, kGrey},
        {opt::kModelColour86, kFace},
        {opt::kMenuBackground3, 0xFAFAFA},
        {opt::kWindowBackground, 0xFFFFFF},
        {opt::kEdgeLight, 0xF4F4F4},
        {opt::kEdgeShadow, kShadow},
        {opt::kMenuBackground4, 0xFAFAFA},
        {opt::kContextMenuText, kText},
        {opt::kContextMenuBackground, 0xFAFAFA},
        {opt::kModelColour168, extras.caption_text},
        {opt::kModelColour171, kText},
        {opt::kModelColour183, kText},
        {opt::kModelColour190, kGrey},
        {opt::kModelColour193, extras.caption},
    };
    for (const auto& [offset, colour] : model)
      proto::set_option_colour(
          screen.screen_options, offset,
          proto::Rgb{static_cast<std::uint8_t>(colour >> 16),
                     static_cast<std::uint8_t>(colour >> 8), static_cast<std::uint8_t>(colour)});
    screen.screen_options[opt::kModelSwitch] = 1;
    screen.screen_options[opt::kFrameType] = opt::kOwnFrame;
    screen.screen_options[opt::kBorderWidth] = static_cast<std::uint8_t>(extras.border);
    auto rgb = [](int v) {
      return proto::Rgb{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                        static_cast<std::uint8_t>(v)};
    };
    proto::set_option_colour(screen.screen_options, opt::kCaption, rgb(extras.caption));
    proto::set_option_colour(screen.screen_options, opt::kOwnFrameCaptionText,
                             rgb(extras.caption_text));
    extras.own_frame = false;
  }
  if (!extras.icons.empty()) {
    screen.icons = std::exchange(extras.icons, {});
    screen.mode_and_style |= proto::kStyleIconsSecondForm;
  }
}

void apply_definition_extras(FrameExtras& extras, proto::Outgoing& definition) {
  if (extras.toolbar.empty() && extras.graphics_icons.empty()) return;
  auto parsed = gfx::parse_graphics_definition(definition.payload, kDefinitionVersion);
  if (!parsed.definition || parsed.definition->mode != gfx::kDefine) return;
  gfx::GraphicsDefinition& d = *parsed.definition;
  int flags = d.record.window_flags();
  if (!extras.toolbar.empty()) {
    flags |= gfx::kToolbarItems;
    d.toolbar = std::exchange(extras.toolbar, {});
  }
  if (!extras.graphics_icons.empty()) {
    flags |= gfx::kIconList;
    for (const proto::HostIcon& icon : std::exchange(extras.graphics_icons, {})) {
      std::vector<std::uint8_t> entry(gfx::kIconEntrySize, 0);
      std::memcpy(entry.data(), icon.name.data(),
                  std::min(icon.name.size(), proto::kIconNameSize - 1));
      proto::put_le16(entry.data() + proto::kIconEntryLengthOffset,
                      static_cast<std::uint16_t>(icon.data.size()));
      proto::put_le32(entry.data() + proto::kIconEntryDataOffset,
                      static_cast<std::uint32_t>(d.icon_data.size()));
      d.icons.insert(d.icons.end(), entry.begin(), entry.end());
      d.icon_data.insert(d.icon_data.end(), icon.data.begin(), icon.data.end());
    }
  }
  d.record.set16(74, flags);
  definition.payload = gfx::build_graphics_definition(d, true);
}

}  // namespace hostsim
