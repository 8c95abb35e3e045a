#pragma once
// Script lines of host programs that shape the program's frame: the workstation's own drawn
// frame for the next screen definition (OWNFRAME), named host icons for it (ICON), and the
// toolbar items and icons a graphics window definition carries (GTOOL, GICON).

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/program/screen_definition.h"

namespace hostsim {

// What OWNFRAME, ICON, GTOOL and GICON lines collect for the next WINIT or GDIGRA.
struct FrameExtras {
  bool own_frame = false;
  int border = 0;
  int caption = 0, caption_text = 0;            // 0xRRGGBB
  std::vector<kovw::protocol::HostIcon> icons;  // ICON: for the next WINIT
  std::vector<std::uint8_t> toolbar;            // GTOOL: 808-byte items for the next GDIGRA
  std::vector<kovw::protocol::HostIcon> graphics_icons;  // GICON: for the next GDIGRA
};

// OWNFRAME BORDER 0xCAPTION 0xCAPTION_TEXT, ICON "name" 0xRRGGBB, GTOOL "label" "icon" KEY
// ["help"], GICON "name" 0xRRGGBB: collected into `extras`. False for another command;
// `error` set for a wrong line of these.
bool parse_frame_extra(const std::vector<std::string>& words, FrameExtras& extras,
                       std::string& error);

// The collected own frame and icons go into `screen` (and are taken out of `extras`).
void apply_screen_extras(FrameExtras& extras, kovw::protocol::ScreenDefinition& screen);

// The collected toolbar items and icons go into the GDIGRA message `definition` (a mode-1
// definition; its window flags announce them) and are taken out of `extras`.
void apply_definition_extras(FrameExtras& extras, kovw::protocol::Outgoing& definition);

// A 16 × 16 picture of one colour with a light inner frame, as BMP file data (an icon file
// the workstation reads).
std::vector<std::uint8_t> solid_icon(int rgb);

}  // namespace hostsim
