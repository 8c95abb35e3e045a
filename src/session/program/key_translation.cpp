#include "session/program/key_translation.h"

namespace kovw::session {

namespace {

// One key of a layout: its numbers plain, with Shift and with Ctrl.
struct Entry {
  HostKey key;
  int plain;
  int shift;
  int ctrl;
};

constexpr Entry kCommon[] = {
    {HostKey::Backspace, 202, 204, 204}, {HostKey::Tab, 18, 19, 19},
    {HostKey::Return, 2, 3, 3},          {HostKey::PageUp, 5, 48, 48},
    {HostKey::PageDown, 6, 49, 49},      {HostKey::End, 15, 32, 32},
    {HostKey::Select, 15, 32, 32},       {HostKey::Home, 14, 31, 31},
    {HostKey::Left, 200, 40, 46},        {HostKey::Up, 8, 40, 38},
    {HostKey::Right, 201, 40, 47},       {HostKey::Down, 9, 40, 37},
    {HostKey::Insert, 205, 34, 33},      {HostKey::Delete, 203, 204, 204},
};

constexpr Entry kLayout0[] = {
    {HostKey::PrintScreen, 10, 10, 10}, {HostKey::F1, 20, 207, 16}, {HostKey::F2, 25, 36, 17},
    {HostKey::F3, 1, 10, 28},           {HostKey::F4, 29, 7, 99},   {HostKey::F5, 23, 78, 24},
    {HostKey::F6, 11, 12, 13},          {HostKey::F7, 40, 21, 22},  {HostKey::F8, 42, 44, 41},
    {HostKey::F9, 45, 75, 39},          {HostKey::F10, 34, 77, 50}, {HostKey::F11, 33, 206, 35},
    {HostKey::F12, 30, 79, 26},
};

constexpr Entry kLayout1[] = {
    {HostKey::PrintScreen, 10, 10, 10}, {HostKey::F1, 20, 207, 16}, {HostKey::F2, 25, 75, 17},
    {HostKey::F3, 1, 99, 28},           {HostKey::F4, 7, 45, 29},   {HostKey::F5, 23, 39, 24},
    {HostKey::F6, 11, 35, 50},          {HostKey::F7, 22, 36, 21},  {HostKey::F8, 42, 26, 41},
    {HostKey::F9, 44, 206, 43},         {HostKey::F10, 34, 79, 33}, {HostKey::F11, 13, 77, 12},
    {HostKey::F12, 30, 78, 40},
};

// Layout 2 has one value for Shift and Ctrl; F1 to F4 ignore the modifiers.
constexpr Entry kLayout2[] = {
    {HostKey::F1, 20, 20, 20},      {HostKey::F2, 25, 25, 25},     {HostKey::F3, 1, 1, 1},
    {HostKey::F4, 7, 7, 7},         {HostKey::F7, 23, 24, 24},     {HostKey::F8, 11, 50, 50},
    {HostKey::F9, 22, 21, 21},      {HostKey::F10, 45, 39, 39},    {HostKey::F11, 42, 41, 41},
    {HostKey::F12, 44, 43, 43},     {HostKey::F13, 34, 33, 33},    {HostKey::F14, 13, 12, 12},
    {HostKey::F15, 99, 207, 207},   {HostKey::Help, 99, 207, 207}, {HostKey::F16, 30, 40, 40},
    {HostKey::Execute, 30, 40, 40}, {HostKey::F17, 16, 35, 35},    {HostKey::OemE3, 16, 35, 35},
    {HostKey::F18, 17, 36, 36},     {HostKey::OemE8, 17, 36, 36},  {HostKey::F19, 28, 26, 26},
    {HostKey::OemE5, 28, 26, 26},   {HostKey::F20, 29, 206, 206},  {HostKey::Pause, 29, 206, 206},
};

template <std::size_t N>
const Entry* find(const Entry (&table)[N], HostKey key) {
  for (const Entry& entry : table)
    if (entry.key == key) return &entry;
  return nullptr;
}

const Entry* find_entry(int layout, HostKey key) {
  if (const Entry* entry = find(kCommon, key)) return entry;
  switch (layout) {
    case 1:
      return find(kLayout1, key);
    case 2:
      return find(kLayout2, key);
    default:
      return find(kLayout0, key);
  }
}

int valid_layout(int layout) {
  return layout >= 0 && layout < kLayoutCount ? layout : 0;
}

}  // namespace

const char* host_function_name(int n) {
  struct Name {
    int n;
    const char* name;
  };
  static constexpr Name kNames[] = {
      {1, "Ende"},
      {7, "Hilfe"},
      {10, "UmschErf/Verw"},
      {11, "Kopieren"},
      {12, "Kop.vorig.Feld"},
      {13, "Kop.vorig.Satz"},
      {16, "Sonderzeichen"},
      {17, "Datei öffnen"},
      {20, "Sonderfunktion"},
      {21, "Nächste Seite"},
      {22, "Vorige Seite"},
      {23, "Einfügen"},
      {24, "Strz. löschen"},
      {25, "Abbruch"},
      {26, "Tab setzen"},
      {28, "Hardcopy"},
      {29, "Inhalt"},
      {30, "Ausführen"},
      {33, "Speichern"},
      {34, "Abrufen"},
      {35, "Lineal"},
      {36, "Key Wechsel"},
      {39, "Suche Klammer"},
      {40, "Markieren"},
      {41, "Rückw. Suchen"},
      {42, "Suchen"},
      {44, "Suchtext"},
      {45, "Tauschen"},
      {50, "Formatieren"},
      {75, "Tauschtxt"},
      {77, "Baustein"},
      {78, "Löschen"},
      {79, "Strz. setzen"},
      {99, "Bild neu"},
      {206, "Speicher einst."},
      {207, "Progr.Wechsel"},
  };
  for (const Name& name : kNames)
    if (name.n == n) return name.name;
  return nullptr;
}

HostKey function_key(int number) {
  if (number < 1 || number > 20) return HostKey::None;
  return static_cast<HostKey>(static_cast<int>(HostKey::F1) + number - 1);
}

std::optional<int> layout_number(int layout, HostKey key, int modifiers) {
  layout = valid_layout(layout);
  if ((modifiers & kModAlt) != 0) {
    // Alt chords belong to the system, except Alt+F4 (the end key) and Alt+F10.
    if (key == HostKey::F4) return layout == 2 ? 7 : 1;
    if (key == HostKey::F10) return layout_number(layout, key, 0);
    return std::nullopt;
  }
  const Entry* entry = find_entry(layout, key);
  if (entry == nullptr) return std::nullopt;
  if ((modifiers & kModShift) != 0) return entry->shift;
  if ((modifiers & kModCtrl) != 0) return entry->ctrl;
  return entry->plain;
}

std::optional<KeyChord> key_for_number(int layout, int n) {
  for (const int modifiers : {0, kModShift, kModCtrl})
    for (int k = static_cast<int>(HostKey::Backspace); k <= static_cast<int>(HostKey::F20); ++k) {
      const auto key = static_cast<HostKey>(k);
      if (layout_number(layout, key, modifiers) == n) return KeyChord{key, modifiers};
    }
  return std::nullopt;
}

std::optional<int> KeyTranslator::translate(int layout, HostKey key, int modifiers) {
  layout = valid_layout(layout);
  if ((modifiers & kModAlt) == 0) {
    if (key == HostKey::Escape) {
      pending_ = layout == 2 || (modifiers & kModCtrl) != 0 ? kModShift : kModCtrl;
      return std::nullopt;
    }
    if (layout == 2 && key == HostKey::F6) {
      pending_ = kModShift;
      return std::nullopt;
    }
  }
  const auto number = layout_number(layout, key, modifiers | pending_);
  if (number) pending_ = 0;
  return number;
}

}  // namespace kovw::session
