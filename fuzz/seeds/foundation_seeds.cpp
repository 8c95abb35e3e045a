// Seeds of the foundation targets: code tables, host texts, message texts and logical paths.
#include <string>

#include "foundation/code_table.h"
#include "foundation/host_text.h"
#include "foundation/path_synonyms.h"
#include "foundation/windows_folders.h"
#include "seed_set.h"

namespace kovw::fuzz {

namespace {

using namespace kovw::foundation;

void put_le32(Bytes& bytes, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

// The header of a valid table file named `name` (magic, length, name, hash).
Bytes table_header(std::string_view name) {
  Bytes bytes(kCodeTableHashOffset + 4, 0);
  put_le32(bytes, 0, kCodeTableMagic);
  put_le32(bytes, 4, kCodeTableFileSize);
  std::copy(name.begin(), name.end(), bytes.begin() + kCodeTableNameOffset);
  put_le32(bytes, kCodeTableHashOffset, code_table_hash(name));
  return bytes;
}

// The slots of a table (the UTF-8 sequence of each byte) and the first `code_points` entries
// of its code point to byte map, as they follow each other in the file. `map` gives the code
// point of each byte.
template <class Map>
Bytes table_body(Map map, std::size_t code_points) {
  Bytes bytes(kCodeTableFromUnicodeOffset - kCodeTableToUtf8Offset + code_points, 0);
  for (unsigned b = 0; b < 256; ++b) {
    const std::string utf8 = wide_to_host(std::u16string(1, map(b)), kTextUtf8);
    std::copy(utf8.begin(), utf8.end(), bytes.begin() + b * kCodeTableSlotSize);
  }
  for (unsigned b = 0; b < 256; ++b) {
    const char16_t code_point = map(b);
    const std::size_t at = kCodeTableFromUnicodeOffset - kCodeTableToUtf8Offset + code_point;
    if (code_point < code_points) bytes[at] = static_cast<std::uint8_t>(b);
  }
  return bytes;
}

void add_code_table_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "code_table";
  // Input: mode, flags, field capacity, then the file (mode 0), a patch of the header (mode 1)
  // or of the slots and the map (modes 2 and 3); the same bytes are the converted text.
  const auto latin1 = [](unsigned b) { return static_cast<char16_t>(b); };
  const auto windows = [](unsigned b) { return ansi_to_wide(static_cast<unsigned char>(b)); };
  seeds.add(kTarget, "header_fuzz", prefixed({1, 0, 64}, table_header("FUZZ")));
  // A table whose header names another table: refused after the length checks.
  seeds.add(kTarget, "header_name_mismatch", prefixed({1, 0, 64}, table_header("ISO8859-1")));
  seeds.add(kTarget, "latin1_terminate",
            prefixed({2, kFieldTerminate, 200}, table_body(latin1, 256)));
  seeds.add(kTarget, "latin1_pad_marker",
            prefixed({2, kFieldPad | kFieldMarker, 255}, table_body(latin1, 256)));
  seeds.add(kTarget, "windows_trim", prefixed({3, kFieldTrimBlanks, 40}, table_body(windows, 256)));
  Bytes text = prefixed({0, kFieldTerminate, 32}, std::string_view("Gr\xc3\xbc\xc3\x9f"
                                                                   "e \xe2\x82\xac  "));
  seeds.add(kTarget, "no_table_utf8", text);
  seeds.add(kTarget, "no_table_short_field",
            prefixed({0, kFieldPad | kFieldTerminate, 4}, std::string_view("abc\xc3\xa4")));
}

void add_host_text_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "host_text";
  // Input: flags, field capacity, then the host text.
  struct Case {
    const char* name;
    int flags;
    std::uint8_t capacity;
    std::string text;
  };
  const std::string marked = wide_to_host(u"Stra\u00dfe \u20ac", kTextMarker);
  const Case cases[] = {
      {"ansi", kTextTerminate, 32, "K\xe4se f\xfcr 5 \x80"},
      {"ansi_pad", kTextPad | kTextTerminate, 20, "Name"},
      {"trim", kTextTrimBlanks, 16, "text   \r\n"},
      {"utf8_flag", kTextUtf8 | kTextTerminate, 16, "\xc3\xa4\xc3\xb6\xc3\xbc \xf0\x9f\x98\x80"},
      {"marked", kTextTerminate, 64, marked},
      {"marked_control", kTextMarker, 64, marked + "\r\n"},
      {"dagger_no_marker", 0, 8, "\xe2\x80\xa0"},
      {"surrogate_cut", kTextTerminate, 3, "ab\xf0\x9f\x98\x80"},
  };
  for (const Case& c : cases) {
    seeds.add(kTarget, c.name,
              prefixed({static_cast<std::uint8_t>(c.flags), c.capacity}, std::string_view(c.text)));
  }
}

void add_message_text_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "message_text";
  // Input: bit 0 of the first byte says UTF-8, the rest is the message text.
  seeds.add(kTarget, "ansi_lines",
            prefixed({0}, std::string_view("Datei nicht gefunden:\n/tmp/x\xe4\ny")));
  seeds.add(kTarget, "utf8_lines",
            prefixed({1}, std::string_view("Fehler \xe2\x80\x93 bitte\\nerneut\r\nversuchen")));
  seeds.add(
      kTarget, "marked",
      prefixed({0}, std::string_view(wide_to_host(u"\u00c4nderung gespeichert", kTextMarker))));
  std::string many;
  for (int i = 0; i < 14; ++i) many += "Zeile " + std::to_string(i) + "\n";
  seeds.add(kTarget, "many_lines", prefixed({1}, std::string_view(many)));
  seeds.add(kTarget, "long_line", prefixed({1}, std::string_view(std::string(120, 'w'))));
}

void add_path_synonyms_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "path_synonyms";
  // Input: limit (7 mod 8: 2000), flags, then the path text (also read as the two text files).
  constexpr std::uint8_t kWhole = 0;
  constexpr std::uint8_t kFirstWord = 0xff;    // -1
  constexpr std::uint8_t kDoubleBlank = 0xfe;  // -2
  struct Case {
    const char* name;
    std::uint8_t limit;
    std::uint8_t flags;
    std::string text;
  };
  std::vector<Case> cases = {
      {"prt_syslog", kWhole, 0, "PRT/SYSLOG"},
      {"tmp_backslash", kWhole, kPathNoShortcuts, "TMP\\sub dir\\file.txt"},
      {"code_table", kWhole, 0, "HW/unicode/ISO8859-1.uct"},
      {"quoted_first_word", kFirstWord, kPathKeepQuotes, "\"TMP/a b/c\" -x arg"},
      {"double_blank", kDoubleBlank, kPathQuoteIfBlank, "TMP/a b  rest"},
      {"limit_chars", 12, 0, "TMP/abcdefghijklmnop"},
      {"user_dirs", kWhole, 0,
       "# user directories\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
       "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"},
      {"profiles_ini", kWhole, 0,
       "[Install4F96D1932A9F858E]\nDefault=abc.default-release\n\n[Profile0]\nName=default\n"
       "IsRelative=1\nPath=abc.default-release\nDefault=1\n"},
  };
  for (const WindowsFolderRow& row : windows_folder_table()) {
    cases.push_back(
        {nullptr, kWhole, kPathWindowsFolderFirst, "WIN:" + std::string(row.name) + "/kovw/x.ini"});
  }
  for (const ExpansionRow& row : expansion_table()) {
    cases.push_back({nullptr, kWhole, 0, "%" + std::string(row.name) + "%/plugins"});
  }
  int folder = 0;
  int expansion = 0;
  for (const Case& c : cases) {
    std::string name;
    if (c.name != nullptr) {
      name = c.name;
    } else if (c.text.starts_with("WIN:")) {
      name = "win_folder_" + std::to_string(folder++);
    } else {
      name = "expansion_" + std::to_string(expansion++);
    }
    seeds.add(kTarget, name, prefixed({c.limit, c.flags}, std::string_view(c.text)));
  }
}

}  // namespace

void add_foundation_seeds(SeedSet& seeds) {
  add_code_table_seeds(seeds);
  add_host_text_seeds(seeds);
  add_message_text_seeds(seeds);
  add_path_synonyms_seeds(seeds);
}

}  // namespace kovw::fuzz
