// Seeds of the session targets: screen option records for the colour model and output streams
// for the text screen.
#include <string>

#include "protocol/program/dialog_messages.h"
#include "protocol/program/list_view_messages.h"
#include "protocol/program/screen_definition.h"
#include "protocol/program/screen_options.h"
#include "seed_set.h"

namespace kovw::fuzz {

namespace {

using namespace kovw::protocol;
namespace opt = kovw::protocol::screen_option;

void put_colour(ScreenOptions& record, std::size_t offset, Rgb colour) {
  record[offset] = colour.red;
  record[offset + 1] = colour.green;
  record[offset + 2] = colour.blue;
}

// ---- colour_model: screen kind, host version and font scaling byte, then the record ------

void add_colour_model_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "colour_model";
  const ScreenOptions plain = default_screen_options();
  seeds.add(kTarget, "default_text_screen", prefixed({0, 0}, plain));

  // A model with its fonts, colours, shades and an own frame.
  ScreenOptions model = plain;
  model[opt::kModelSwitch] = 3;
  model[opt::kFontNumber] = 2;
  model[opt::kFontSize] = 11;
  model[opt::kIconSize] = 24;
  for (std::size_t font : {opt::kFont2, opt::kFont3, opt::kFont4, opt::kFont5, opt::kFont6,
                           opt::kFont7, opt::kDefaultFont}) {
    model[font] = 4;
    model[font + 1] = 9;
  }
  put_colour(model, opt::kButtonFace, {212, 208, 200});
  put_colour(model, opt::kButtonText, {0, 0, 0});
  put_colour(model, opt::kHighlightedFace, {10, 36, 106});
  put_colour(model, opt::kBackground, {255, 255, 240});
  put_colour(model, opt::kTextColour, {0, 0, 128});
  put_colour(model, opt::kCaption, {0, 84, 227});
  put_colour(model, opt::kOwnFrameCaptionText, {255, 255, 255});
  model[opt::kFrameType] = opt::kOwnFrame;
  model[opt::kBorderWidth] = 4;
  model[opt::kShadeMargin] = 2;
  model[opt::kShadeKind] = 1;
  model[opt::kShadeStep1] = 40;
  model[opt::kShadeFlag] = 1;
  model[opt::kScaledFrameValue] = 8;
  for (std::size_t i = 0; i < opt::kFrameValues138Count; ++i) {
    model[opt::kFrameValues138 + i] = static_cast<std::uint8_t>(i + 1);
  }
  for (std::uint8_t kind = 0; kind < 6; ++kind) {
    seeds.add(kTarget, "model_kind_" + std::to_string(kind), prefixed({kind, 0x31}, model));
  }
  ScreenOptions old_host = model;
  old_host[opt::kFrameType] = 0;
  old_host[opt::kModelSwitch] = 0x0F;
  seeds.add(kTarget, "model_old_host", prefixed({1, 0x40}, old_host));
}

// ---- text_screen: columns byte, rows byte, piece length, then the output stream ----------
//
// The first two bytes pick the grid: even values 1 to 64 columns / 1 to 32 rows, odd values
// 257 and more (where cursor addressing takes two bytes; the rows only when the columns are not,
// and the other side is then at most 8). Resizes are clipped to 64 x 32 by the target.

constexpr char kEsc = 27;

std::string esc(char code, std::initializer_list<std::uint8_t> arguments = {}) {
  std::string out{kEsc, code};
  for (std::uint8_t a : arguments) out += static_cast<char>(a);
  return out;
}

// ESC 0x40 s a b c d: N = a·256 + b, M = c·256 + d.
std::string screen_size(char what, int n, int m) {
  return esc(0x40, {static_cast<std::uint8_t>(what), static_cast<std::uint8_t>(n >> 8),
                    static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(m >> 8),
                    static_cast<std::uint8_t>(m)});
}

void add_text_screen_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "text_screen";
  const auto add = [&](std::string_view name, std::uint8_t columns, std::uint8_t rows,
                       std::uint8_t piece, const std::string& stream) {
    seeds.add(kTarget, name, prefixed({columns, rows, piece}, stream));
  };
  // 64 x 25 is not reachable from the first bytes; resize to it.
  const std::string standard = screen_size('A', 64, 25);
  add("text_and_controls", 78, 24, 15,
      standard + "Kunde: Meier\r\nOrt:   K\xf6ln\n\x08\x08X\t\x07" + esc('G') + "Oben");
  add("cursor_moves", 78, 24, 3,
      standard + esc('F', {10, 5}) + "*" + esc('A') + esc('B') + esc('C') + esc('D') + "+" +
          esc('N') + esc('F', {0, 0}) + "#" + esc('O') + "!");
  add("attributes", 78, 24, 7,
      standard + esc('1') + "hell" + esc('0') + esc('a') + esc('q') + "farbig" + esc('T') + "lqk" +
          esc('S') + esc('Y') + "erhaben" + esc('Z') + esc('[') + "flach");
  add("fields_and_buttons", 78, 24, 16,
      standard + esc('#', {'3', 0}) + "Feld" + esc('$', {1}) + "Knopf" + esc('$', {2}) +
          esc('#', {'8', '|'}) + "|Name   |Wert|\n");
  add("edit_operations", 78, 24, 5,
      standard + "abcdefgh\rxyz" + esc('F', {2, 0}) + esc('U', {3}) + esc('V', {1}) + esc('Q') +
          "ins" + esc('R') + esc('K') + esc('F', {0, 10}) + esc('L') + esc('M') + esc('J'));
  add("wrap_and_scroll", 8, 2, 9,
      esc('H') + "eins zwei drei vier fuenf sechs sieben acht neun zehn" + esc('I') + "\x19unten" +
          "\x0c" + esc('E') + esc('P'));
  add("view_and_effects", 78, 24, 11,
      standard + screen_size('B', 40, 10) + screen_size('C', 5, 3) + esc('%', {'2'}) + esc('*') +
          esc('+') + esc('\\') + esc(']', {1, 0, 1}) + esc('W') + esc('X') + esc('_'));
  // A wide grid, then a tall one: the cursor address takes two bytes for the column, then for
  // the row.
  add("wide_grid", 1, 6, 13,
      esc('F', {1, 4, 5}) + "rechts" + screen_size('A', 60, 30) + esc('F', {59, 29}) + "y");
  add("tall_grid", 6, 1, 6, esc('F', {3, 1, 2}) + "unten" + esc('H') + "abcdefghijklmnop");
  add("split_escape", 20, 10, 1,
      esc('F', {3, 4}) + screen_size('A', 20, 10) + "a" + esc('#', {'1', 0}));
}

// ---- field_editor: the 20-byte request, the preset's length and bytes, Smart Edit, keys ------

void add_field_editor_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "field_editor";
  auto request = [](int length, std::uint8_t hidden, std::uint8_t case_rule, std::uint8_t type,
                    std::uint8_t flags) {
    std::string bytes(20, '\0');
    bytes[8] = static_cast<char>(length & 0xFF);
    bytes[9] = static_cast<char>(length >> 8);
    bytes[12] = static_cast<char>(case_rule);
    bytes[14] = static_cast<char>(hidden);
    bytes[18] = static_cast<char>(flags);
    bytes[19] = static_cast<char>(type);
    return bytes;
  };
  auto add = [&](std::string_view name, const std::string& field, std::string_view preset,
                 std::string_view keys) {
    std::string bytes = field;
    bytes += static_cast<char>(preset.size());
    bytes += preset;
    bytes += '\x06';
    bytes += keys;
    seeds.add(kTarget, name,
              std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  };
  add("text_typed", request(10, 0, 0, 'X', 0), "Anna", "Bea\xF2\x02");
  add("full_field", request(3, 0, 1, 'X', 0), "", "abc");
  add("calculation", request(5, 0, 0, 'N', 0), "", "=12+30\xF2\x02");
  add("date", request(10, 0, 0, 'D', 0), "", "3.4.26\xF2\x12");
  add("hidden_preset", request(8, 4, 0, 'X', 0), "secret", "x\xF2\x02");
  add("utf8_edges", request(4, 0, 2, 'W', 0x10), "ab", "\xF3\x00\xF4\x00\xF1\x05-\xF0\x33");
}

// ---- edit_area: the 28-byte record, then the text -------------------------------------------

void add_host_file_filter_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "host_file_filter";
  // Input: the answer's form (bit 0 the host keeps "/", bit 1 a 3.0.8 daemon, bit 2 doubled
  // backslashes), then the text.
  auto add = [&](std::string_view name, std::uint8_t form, std::string_view text) {
    std::string bytes(1, static_cast<char>(form));
    bytes += text;
    seeds.add(kTarget, name,
              std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  };
  add("two_entries", 0, "Texte | *.txt; *.asc | Alle | *.*");
  add("one_entry", 3, "Bilder|*.pcx");
  add("malformed_even", 4, "Texte|*.txt|Alle");
  add("no_bar", 0, "*.txt");
  add("path_doubled", 4, "/home/u/a\\b.txt");
}

void add_edit_area_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "edit_area";
  auto add = [&](std::string_view name, int capacity, int max_length, int flags,
                 std::string_view text) {
    std::string bytes(28, '\0');
    bytes[2] = static_cast<char>(capacity & 0xFF);
    bytes[3] = static_cast<char>(capacity >> 8);
    bytes[4] = static_cast<char>(max_length & 0xFF);
    bytes[5] = static_cast<char>(max_length >> 8);
    bytes[8] = 2;    // column
    bytes[12] = 3;   // row
    bytes[16] = 5;   // rows
    bytes[20] = 40;  // columns
    bytes[26] = static_cast<char>(flags & 0xFF);
    bytes += text;
    seeds.add(kTarget, name,
              std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  };
  add("crlf_lines", 64, 0, 0, "erste\r\nzweite\rdritte\nvierte");
  add("limited", 64, 8, 0x10, "abcdefghijklmnop\r\n");
  add("utf8_zero_end", 16, 100, 0x40,
      std::string_view("\xC3\xA4"
                       "b\r\nc\0rest",
                       11));
  add("capacity_cut", 3, 0, 0, "abcdef");
}

// ---- host_dialog: the split byte, then two definitions --------------------------------------

// Icon views: a selector byte (0 tree, 1 list, 2 list dialog; 0x10 UTF-8 texts, 0x20 a newer
// host library), then the definition.
void add_icon_view_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "icon_view";
  auto put32 = [](Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = (value >> (8 * i)) & 0xFF;
  };
  Bytes tree(1 + 64 + 5 * 136, 0);
  put32(tree, 1, 5);
  const std::uint8_t levels[] = {0x40, 1, 1 | 0x20, 2 | 0x80, 3};  // the last one jumps a level
  for (std::size_t i = 0; i < 5; ++i) {
    const std::size_t at = 1 + 64 + i * 136;
    put32(tree, at, static_cast<std::uint32_t>(10 + i));
    tree[at + 4] = levels[i];
    tree[at + 7] = static_cast<std::uint8_t>('A' + i);
  }
  seeds.add(kTarget, "tree_levels", tree);

  Bytes list(1 + 720 + 2 * 516, 0);
  list[0] = 0x21;
  put32(list, 1, 2);
  put32(list, 5, 100);
  const std::string titles("Name\0Size\0Kind", 14);
  std::copy(titles.begin(), titles.end(), list.begin() + 1 + 192);
  list[1 + 701] = 0x02;
  list[1 + 703] = 3;
  list[1 + 704] = 1;
  list[1 + 705] = 1;
  list[1 + 706] = 2;
  for (std::size_t i = 0; i < 2; ++i) {
    const std::size_t at = 1 + 720 + i * 516;
    put32(list, at, static_cast<std::uint32_t>(500 + i));
    list[at + 4] = i == 0 ? 255 : 3;
    const std::string texts(
        "a.txt\0"
        "12 KB\0"
        "tip\0"
        "text",
        20);
    std::copy(texts.begin(), texts.end(), list.begin() + static_cast<std::ptrdiff_t>(at + 5));
    const std::string icon = "disk";
    std::copy(icon.begin(), icon.end(), list.begin() + static_cast<std::ptrdiff_t>(at + 476));
    put32(list, at + 512, static_cast<std::uint32_t>(9000 + i));
  }
  seeds.add(kTarget, "list_details", list);

  kovw::protocol::ListDialog dialog;
  dialog.header.assign(144, 0);
  dialog.header[16] = 'T';
  Bytes field(136, 0);
  field[0] = 'N';
  field[128] = 5;
  field[130] = 2;
  dialog.fields = {field};
  Bytes button(130, 0);
  button[0] = 'O';
  button[128] = 1;
  dialog.buttons = {button};
  const std::string block = "##Meier##";
  dialog.data.assign(block.begin(), block.end());
  Bytes ldialog{2};
  const auto payload = kovw::protocol::build_ldialog(dialog).payload;
  ldialog.insert(ldialog.end(), payload.begin(), payload.end());
  seeds.add(kTarget, "list_dialog", ldialog);
}

void add_host_dialog_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "host_dialog";
  auto add = [&](std::string_view name, const DialogMessage& first, const DialogMessage& second) {
    const auto a = build_dialog_definition(1, 10, first).payload;
    const auto b = build_dialog_definition(1, 10, second).payload;
    Bytes bytes{static_cast<std::uint8_t>((a.size() + 3) / 4)};
    bytes.insert(bytes.end(), a.begin(), a.end());
    bytes.resize(1 + ((a.size() + 3) / 4) * 4, 0);
    bytes.insert(bytes.end(), b.begin(), b.end());
    seeds.add(kTarget, name, bytes);
  };
  DialogMessage question;
  question.lines = {"Save?"};
  question.title = "Question";
  question.buttons = {{"Yes", "", 0, 1, 0}, {"No", "", 0, 2, 0}};
  DialogMessage list;
  list.kind = 3;
  list.flags = 0x0011;
  list.total_lines = 500;
  list.lines = {"one", "two", "three"};
  list.buttons = {{"OK", "help", 302, 1, 0}, {"Hidden", "", 303, 9, 2}};
  list.input = "preset";
  DialogMessage page = list;
  page.kind = 32;
  page.first_line = 12;
  DialogMessage close;
  close.kind = 34;
  add("question_then_list", question, list);
  add("list_then_page", list, page);
  add("list_then_close", list, close);
}

}  // namespace

void add_session_seeds(SeedSet& seeds) {
  add_host_dialog_seeds(seeds);
  add_icon_view_seeds(seeds);
  add_colour_model_seeds(seeds);
  add_text_screen_seeds(seeds);
  add_field_editor_seeds(seeds);
  add_edit_area_seeds(seeds);
  add_host_file_filter_seeds(seeds);
}

}  // namespace kovw::fuzz
