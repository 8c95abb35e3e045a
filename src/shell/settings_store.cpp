#include "shell/settings_store.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "foundation/log.h"
#include "foundation/named_lock.h"
#include "foundation/verbose.h"
#include "shell/settings_table.h"
#include "shell/version.h"

namespace kovw::shell {

using foundation::kVerboseGeneral;
using foundation::log_printf;
using foundation::verbose;
using platform::Registry;

namespace {

QString key(const char* name) {
  return QString::fromLatin1(name);
}
QString value_name(const char* name) {
  return QString::fromLatin1(name);
}

}  // namespace

SettingsStore::SettingsStore(std::unique_ptr<Registry> registry)
    : registry_(registry ? std::move(registry) : std::make_unique<Registry>()),
      version_word_(static_cast<std::int32_t>(version_word(version_of(version_text())))) {}

void SettingsStore::set_fresh_values() {
  for (const SettingDescriptor& d : settings_table()) {
    switch (d.kind) {
      case SettingKind::Int:
        record_.*d.int_field = d.fresh;
        break;
      case SettingKind::Byte:
        record_.*d.byte_field = static_cast<std::uint8_t>(d.fresh);
        break;
      case SettingKind::Text:
        d.text.set(record_, d.fresh_text);
        break;
    }
  }
  record_.first_start |= 1;
  record_.custom_colors.fill(0);
  for (EnvironmentEntry& entry : record_.environment) entry = EnvironmentEntry{};
  record_.environment_used = 0;
}

bool SettingsStore::read_settings_values() {
  const QString settings_key = key(kSettingsKey);
  bool rewrite = false;
  for (const SettingDescriptor& d : settings_table()) {
    if (d.write_only) continue;
    const QString name = value_name(d.name);
    bool found = false;
    switch (d.kind) {
      case SettingKind::Int:
        if (auto v = registry_->read_int(settings_key, name)) {
          record_.*d.int_field = *v;
          found = true;
        } else {
          record_.*d.int_field = d.missing;
        }
        break;
      case SettingKind::Byte:
        if (auto v = registry_->read_byte(settings_key, name)) {
          record_.*d.byte_field = *v;
          found = true;
        } else {
          record_.*d.byte_field = static_cast<std::uint8_t>(d.missing);
        }
        break;
      case SettingKind::Text:
        if (auto v = registry_->read_string(settings_key, name)) {
          if (d.text.set(record_, *v)) {
            found = true;
          } else {
            log_printf("Vorgabe %s zu lang (%zu Zeichen, erlaubt %zu), verwende \"%s\"", d.name,
                       v->size(), d.text.size - 1, d.missing_text);
          }
        }
        if (!found) d.text.set(record_, d.missing_text);
        break;
    }
    if (!found && d.rewrite) rewrite = true;
  }

  // Special rules of single values.
  if (record_.font_factor == 0) record_.font_factor = 100;
  if (!registry_->read_int(settings_key, value_name("Automatic KOVW Port"))) {
    record_.kovw_port = 4727;
  }
  if (record_.last_version < kStartProgramChangeVersion &&
      record_.start_program == kOldStartProgram) {
    record_.start_program.assign(kDefaultStartProgram);
  }
  return rewrite;
}

void SettingsStore::read_environment() {
  for (EnvironmentEntry& entry : record_.environment) entry = EnvironmentEntry{};
  record_.environment_used = 0;
  if (record_.environ_count < 1) return;

  const QString environ_key = key(kEnvironKey);
  const QStringList names = registry_->value_names(environ_key);
  const int wanted = std::min(record_.environ_count, kEnvironmentEntries);
  if (names.size() < wanted) {
    log_printf("Umgebung: %d von %d Eintraegen gefunden", int(names.size()), wanted);
  }
  for (const QString& name : names) {
    if (record_.environment_used >= wanted) break;
    const QByteArray name8 = name.toLatin1();
    const auto data = registry_->read_string(environ_key, name);
    EnvironmentEntry entry;
    if (!data) {
      log_printf("Umgebung %s ist kein Text, uebergangen", name8.constData());
      continue;
    }
    if (!entry.name.assign(name8.toStdString())) {
      log_printf("Umgebung: Name %s zu lang (erlaubt %zu), uebergangen", name8.constData(),
                 entry.name.capacity);
      continue;
    }
    if (!entry.value.assign(*data)) {
      log_printf("Umgebung %s: Wert zu lang (%zu Zeichen, erlaubt %zu), uebergangen",
                 name8.constData(), data->size(), entry.value.capacity);
      continue;
    }
    record_.environment[record_.environment_used++] = entry;
  }
  if (verbose(kVerboseGeneral)) log_printf("Umgebung gelesen");
}

int SettingsStore::load_settings(bool unconditional) {
  if (verbose(kVerboseGeneral)) {
    log_printf("dr_load_settings. loaded=%d, uncond=%d", loaded_ ? 1 : 0, unconditional ? 1 : 0);
  }
  if (loaded_ && !unconditional) return 1;
  loaded_ = true;
  registry_->refresh();

  const QString settings_key = key(kSettingsKey);
  if (!registry_->key_exists(settings_key)) {
    // First start: the values of a new installation are written at once. They are the
    // stored values, never command-line ones (the overrides are applied after this).
    set_fresh_values();
    const std::uint8_t factor = record_.font_factor;
    compute_derived_values(record_, false);
    write_all_settings();
    // A new installation writes factor 0, which every later load reads as 100.
    record_.font_factor = factor == 0 ? 100 : factor;
  } else {
    registry_->remove_value(settings_key, value_name(kEditModeValue));
    const bool rewrite = read_settings_values();
    if (verbose(kVerboseGeneral)) log_printf("Vorgaben gelesen");
    if (!overrides_ || !(overrides_->mask & kOverrideEnvironment)) read_environment();
    if (rewrite) {
      compute_derived_values(record_, false);
      write_all_settings();
    }
  }
  apply_overrides();
  return 0;
}

int SettingsStore::load_login(bool unconditional) {
  if (!login_loaded_ || unconditional) {
    login_loaded_ = true;
    const QString login = key(kLoginKey);
    struct Text {
      const char* name;
      FixedString<64>* field;
    } texts[] = {{"Host", &record_.host}, {"User", &record_.user}, {"Domain", &record_.domain}};
    for (const Text& t : texts) {
      t.field->clear();
      if (auto v = registry_->read_string(login, value_name(t.name))) {
        if (!t.field->assign(*v)) {
          log_printf("Login %s zu lang (%zu Zeichen, erlaubt %zu), nicht verwendet", t.name,
                     v->size(), t.field->capacity);
        }
      }
    }
    record_.password.fill(0);
    if (record_.save_passwd & kSavePassword) {
      const auto stored = registry_->read_binary(login, value_name("Password"));
      if (stored && stored->size() == qsizetype(record_.password.size())) {
        std::memcpy(record_.password.data(), stored->constData(), record_.password.size());
      } else if (stored && stored->size() > 1) {
        log_printf("Login Password hat %d statt %zu Bytes, nicht verwendet", int(stored->size()),
                   record_.password.size());
      }
    }
  }
  if (overrides_) apply_login_overrides(record_, *overrides_);
  return 0;
}

bool SettingsStore::write_setting(const SettingDescriptor& d) {
  const QString settings_key = key(kSettingsKey);
  const QString name = value_name(d.name);
  switch (d.kind) {
    case SettingKind::Int:
      return registry_->write_int(settings_key, name, record_.*d.int_field);
    case SettingKind::Byte:
      return registry_->write_byte(settings_key, name, record_.*d.byte_field);
    case SettingKind::Text:
      return registry_->write_string(settings_key, name, d.text.get(record_));
  }
  return false;
}

int SettingsStore::save_settings(bool force) {
  if (overrides_active() || (saved_once_ && !force)) return 1;
  saved_once_ = true;
  return write_all_settings();
}

int SettingsStore::write_all_settings() {
  record_.saved_version = version_word_;
  record_.environ_count = record_.environment_used;

  Registry::WriteGuard guard(*registry_);
  if (!guard.locked()) return -1;
  bool ok = registry_->remove_value(key(kSettingsKey), value_name(kEditModeValue));
  for (const SettingDescriptor& d : settings_table()) ok = write_setting(d) && ok;
  if (verbose(kVerboseGeneral)) log_printf("Vorgaben gespeichert");
  ok = write_environment() == 0 && ok;
  return ok ? 0 : -1;
}

int SettingsStore::write_environment() {
  const QString environ_key = key(kEnvironKey);
  Registry::WriteGuard guard(*registry_);
  if (!guard.locked()) return -1;
  bool ok = registry_->remove_key(environ_key);
  if (verbose(kVerboseGeneral)) {
    log_printf(
        "Umgebung %s geloescht",
        (QString::fromLatin1(Registry::kRootKey) + u'\\' + environ_key).toLatin1().constData());
  }
  std::vector<const EnvironmentEntry*> sorted;
  const int used = std::clamp(record_.environment_used, 0, kEnvironmentEntries);
  for (int i = 0; i < used; ++i) sorted.push_back(&record_.environment[i]);
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) {
    return a->name.view() < b->name.view();  // byte order
  });
  for (const EnvironmentEntry* entry : sorted) {
    if (entry->name.empty()) continue;
    ok = registry_->write_string(environ_key, QString::fromLatin1(entry->name.view()),
                                 entry->value.view()) &&
         ok;
  }
  if (verbose(kVerboseGeneral)) log_printf("Umgebung gespeichert");
  return ok ? 0 : -1;
}

int SettingsStore::save_setting(std::string_view name) {
  const SettingDescriptor* d = find_setting(name);
  if (!d) return -2;
  Registry::WriteGuard guard(*registry_);
  if (!guard.locked()) return -1;
  registry_->remove_value(key(kSettingsKey), value_name(kEditModeValue));
  return write_setting(*d) ? 0 : -1;
}

int SettingsStore::save_date(std::int32_t date) {
  foundation::DefaultLockGuard lock;
  record_.date = date;
  return registry_->write_int(key(kSettingsKey), value_name("Date"), date) ? 0 : -1;
}

void SettingsStore::apply_overrides() {
  bool keep_icon_size = false;
  if (overrides_) {
    apply_override_fields(record_, *overrides_);
    keep_icon_size = (overrides_->font_mask & kFontOverrideIconSize) != 0;
  }
  compute_derived_values(record_, keep_icon_size);
}

CustomColors SettingsStore::load_custom_colors() {
  CustomColors colors{};
  const auto stored = registry_->read_binary(key(kSettingsKey), value_name(kCustomColorsValue));
  if (stored && stored->size() == qsizetype(sizeof(colors))) {
    const auto* b = reinterpret_cast<const unsigned char*>(stored->constData());
    for (std::size_t i = 0; i < colors.size(); ++i, b += 4) {
      colors[i] = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                  std::uint32_t(b[3]) << 24;
    }
  } else if (stored) {
    log_printf("Vorgabe %s hat %d statt %zu Bytes, nicht verwendet", kCustomColorsValue,
               int(stored->size()), sizeof(colors));
  }
  foundation::DefaultLockGuard lock;
  record_.custom_colors = colors;
  return colors;
}

int SettingsStore::save_custom_colors(const CustomColors& colors) {
  foundation::DefaultLockGuard lock;
  if (load_custom_colors() == colors) return -1;
  QByteArray bytes;
  for (std::uint32_t c : colors) {
    for (int shift = 0; shift < 32; shift += 8) bytes.append(char(c >> shift & 0xFF));
  }
  if (!registry_->write_binary(key(kSettingsKey), value_name(kCustomColorsValue), bytes)) {
    return -2;
  }
  record_.custom_colors = colors;
  return 0;
}

std::string SettingsStore::choose_directory() {
  foundation::DefaultLockGuard lock;
  return record_.choose_directory.str();
}

int SettingsStore::save_choose_directory(std::string_view folder) {
  foundation::DefaultLockGuard lock;
  if (!record_.choose_directory.assign(folder)) return -2;
  return save_setting("Choose Directory");
}

int SettingsStore::delete_all_keys() {
  Registry::WriteGuard guard(*registry_);
  if (!guard.locked()) return -1;
  bool ok = true;
  for (const char* k :
       {kSettingsKey, kWorkflowKey, kLoginKey, kEnvironKey, kSizesKey, kDirviewKey}) {
    ok = registry_->remove_key(key(k)) && ok;
  }
  ok = registry_->remove_key(QString()) && ok;
  return ok ? 0 : -1;
}

// The process-wide store.

namespace {
std::unique_ptr<SettingsStore>& store_slot() {
  static std::unique_ptr<SettingsStore> store;
  return store;
}
}  // namespace

SettingsStore& settings_store() {
  auto& slot = store_slot();
  if (!slot) slot = std::make_unique<SettingsStore>();
  return *slot;
}

void reset_settings_store(std::unique_ptr<SettingsStore> store) {
  store_slot() = std::move(store);
}

const SettingsRecord& settings() {
  return settings_store().record();
}
SettingsRecord& mutable_settings() {
  return settings_store().record();
}

int dr_load_settings(bool unconditional) {
  return settings_store().load_settings(unconditional);
}
int dr_load_login(bool unconditional) {
  return settings_store().load_login(unconditional);
}
int dr_save_settings(bool force) {
  return settings_store().save_settings(force);
}
int dr_save_settings(const char* value_name) {
  if (value_name == nullptr) return settings_store().save_settings();
  return settings_store().save_setting(value_name);
}
int dr_save_settings(std::string_view value_name) {
  return settings_store().save_setting(value_name);
}
int dr_save_login() {
  return settings_store().save_login();
}
int dr_save_date(std::int32_t date) {
  return settings_store().save_date(date);
}

int dr_delete_all_keys() {
  return settings_store().delete_all_keys();
}

}  // namespace kovw::shell
