// Seeds of the print targets: print-language jobs that use every command group.
#include <string>

#include "seed_set.h"

namespace kovw::fuzz {

namespace {

const std::string ESC = "\x1b";

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

void add_print_language_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "print_language";
  const auto add = [&](std::string_view name, const std::string& job) {
    seeds.add(kTarget, name, Bytes(job.begin(), job.end()));
  };
  add("letters_form_feed", "ABCDE\f");
  add("positions", ESC + "720XA" + ESC + "+360XB" + ESC + "-10000XC" + ESC + "1.5;2,25GD" + ESC +
                       "3R" + ESC + "+2C" + ESC + "360I" + ESC + "6L" + ESC + "100V" + ESC + "10H" +
                       "E\b\tF\r\n");
  add("fonts", ESC + "1;2;12FBold" + ESC + "+6F" + ESC + "-1F" + ESC +
                   "0;\"Times New Roman kursiv fett\";;17F" + ESC + "0;0;0;12F" + ESC + "784FWide" +
                   ESC + "1&cells" + ESC + "0&");
  add("margins_stack", ESC + "5;2;5;2M" + ESC + "720;720;720;720m" + ESC + "1S" + ESC + "1S" + ESC +
                           "0SA" + ESC + "0S" + ESC + "0SB" + ESC + "E" + ESC + "1eC");
  add("colours_patterns", ESC + "255;0;0c" + ESC + "4g" + ESC + "300h" + ESC + "9v" + ESC +
                              "0;0;720;720r" + ESC + "18v" + ESC + "-1v" + ESC + "22v" + ESC + "v" +
                              "text");
  add("shapes", ESC + "3;2w" + ESC + "0;0;720;720l" + ESC + ";;0;0l" + ESC + "72;72;0s" + ESC +
                    "144;72;1s" + ESC + "0;0;3s" + ESC + "720;720;100;0;90;2a" + ESC +
                    "720;720;100;45;270;1a" + ESC + "0;0;10a" + ESC + "1;7w");
  add("bitmap_none_packbits", ESC + "16;4;300;0b" + ESC + "0k" + ESC + "0;2d" +
                                  bytes({0xF0, 0x0F}) + ESC + "1k" + ESC + "0;2;2d" +
                                  bytes({0xFD, 0xAA}) + ESC + "0;0d" + ESC + "99k");
  add("bitmap_delta_repeat", ESC + "64;8;150;1b" + ESC + "255;0;0;1p" + ESC + "2k" + ESC + "0;3d" +
                                 bytes({0x21, 1, 1}) + ESC + "0;4d" + bytes({0x1F, 0xFF, 0x02, 1}) +
                                 ESC + "3k" + ESC + "0;5d" + ESC + "99k");
  add("bitmap_24", ESC + "2;2;72;3b" + ESC + "0;8d" + bytes({0, 0, 255, 0, 255, 0, 0, 0}) + ESC +
                       "0;8d" + bytes({255, 0, 0, 9, 9, 9, 0, 0}) + ESC + "99k");
  const std::string overlay = ESC + "0;5040GFOOT" + ESC + "0;3o\f";
  add("overlay", ESC + "0;1;" + std::to_string(overlay.size()) + "o" + overlay + ESC + "0;3o" +
                     "P1\fP2" + ESC + "0;2o" + ESC + "0;4o" + ESC + "0;0o\f");
  add("page_settings", ESC + "1O" + ESC + "3P" + ESC + "210;99P" + ESC + "1;1D" + ESC + "0B" + ESC +
                           "4f" + "A" + ESC + "3D" + ESC + "0D" + "B");
}

void add_job_header_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "print_job_header";
  const auto add = [&](std::string_view name, const std::string& header) {
    seeds.add(kTarget, name, Bytes(header.begin(), header.end()));
  };
  using namespace std::string_literals;
  add("spooled_language", "1\0host:invoice\0standard\0kovwp\0\0\0\0"s);
  add("spooled_raw_lp", "0\0host\0lp -d laser1 -o raw\0raw\0\0"s);
  add("direct", "3\0host:label\0PDF\0kovwp\0x\0001\0-2\0rest"s);
  add("dialog_five_fields", "25\0M\xFCller\0dialog\0KOVWP\0second"s);
  add("invalid_mode", "4\0host\0standard\0kovwp\0"s);
}

}  // namespace

void add_print_seeds(SeedSet& seeds) {
  add_print_language_seeds(seeds);
  add_job_header_seeds(seeds);
}

}  // namespace kovw::fuzz
