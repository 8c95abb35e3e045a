#pragma once
// The settings store: the process-wide settings record, loaded from and written to the
// per-user registry, with the command-line overrides applied after every load.
//
// The main thread loads and saves; program threads read `settings()`. Saves that program
// threads may start (date, sizes, custom colours, browser login) hold the global lock.

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/registry.h"
#include "shell/override_record.h"
#include "shell/settings_record.h"

namespace kovw::shell {

// Subkeys of the program's root key.
inline constexpr const char* kSettingsKey = "Settings";
inline constexpr const char* kLoginKey = "Login";
inline constexpr const char* kUserKey = "User";
inline constexpr const char* kEnvironKey = "Environ";
inline constexpr const char* kSizesKey = "Sizes";
inline constexpr const char* kDfaKey = "DFA";
inline constexpr const char* kDirviewKey = "DIRVIEW";
inline constexpr const char* kBrowserKey = "Login\\Browser";
inline constexpr const char* kWorkflowKey = "Workflow";

// Bits of "Save Passwd".
inline constexpr std::int32_t kSavePassword = 0x1;       // store the password in "Login"
inline constexpr std::int32_t kPasswordPresent = 0x2;    // a password is in memory
inline constexpr std::int32_t kPasswordAutoLogin = 0x4;  // ... and allows automatic login

using CustomColors = std::array<std::uint32_t, 16>;

class SettingsStore {
 public:
  // Uses `registry`, or the registry of the current user when none is given.
  explicit SettingsStore(std::unique_ptr<platform::Registry> registry = nullptr);

  platform::Registry& registry() { return *registry_; }
  SettingsRecord& record() { return record_; }
  const SettingsRecord& record() const { return record_; }

  // The command-line overrides (owned by the caller; may be null for none).
  void set_overrides(const OverrideRecord* overrides) { overrides_ = overrides; }
  const OverrideRecord* overrides() const { return overrides_; }
  bool overrides_active() const { return overrides_ != nullptr && overrides_->mask != 0; }
  // The version word stored as "Saved Version" by a whole save (the running program's by
  // default).
  void set_version_word(std::int32_t word) { version_word_ = word; }

  // `dr_load_settings`: loads "Settings", the environment table and the derived values and
  // applies the overrides. A second call without `unconditional` does nothing and returns 1.
  int load_settings(bool unconditional);
  // `dr_load_login`: reads "Login" once (again with `unconditional`), then re-applies the
  // Host, User, Domain and Password overrides. Returns 0.
  int load_login(bool unconditional);
  // `dr_save_settings` without a field: writes every value of "Settings" and the environment
  // table. Skipped (returning 1) while an override is active, and after the first whole save
  // unless `force`. Returns 0 when written, -1 when the store could not be written.
  int save_settings(bool force = false);
  // `dr_save_settings` with a field: writes just value `name` from the record. Returns 0,
  // -1 when the store could not be written, -2 for an unknown name.
  int save_setting(std::string_view name);
  // `dr_save_login`: "Host", "User", "Domain" and "Password" (the enciphered 32 bytes when
  // "Save Passwd" bit 0 is set, else one zero byte); values overridden by the command line
  // keep their stored form. Returns 1 on success, else 0.
  int save_login();
  // `dr_save_date`: sets and writes only "Date", under the global lock. Returns 0 or -1.
  int save_date(std::int32_t date);

  // Applies the overrides to the record (fields whose mask bits are set), then the derived
  // values.
  void apply_overrides();

  // The 16 custom colours of the colour chooser (all 0 when not stored).
  CustomColors load_custom_colors();
  // Writes them when they differ from the stored ones: 0 written, -1 equal, -2 failure.
  int save_custom_colors(const CustomColors& colors);
  // "Choose Directory": the last folder of the path selection. Both hold the global lock
  // (program threads call them). Saving returns 0, -1 when it could not be written, -2 when the
  // folder is longer than the value holds (nothing is kept then).
  std::string choose_directory();
  int save_choose_directory(std::string_view folder);

  // Deletes the keys of the program for the current user (uninstall): "Settings",
  // "Workflow", "Login", "Environ", "Sizes", "DIRVIEW" and finally the root key.
  int delete_all_keys();

 private:
  void set_fresh_values();
  bool read_settings_values();  // true when a rewrite is needed
  void read_environment();
  bool write_setting(const struct SettingDescriptor& descriptor);
  // Writes every value and the environment table; the loader uses it for the first start
  // and for a rewrite, before the overrides are applied, so no command-line value is kept.
  int write_all_settings();
  int write_environment();

  std::unique_ptr<platform::Registry> registry_;
  SettingsRecord record_;
  const OverrideRecord* overrides_ = nullptr;
  std::int32_t version_word_ = 0;
  bool loaded_ = false;
  bool login_loaded_ = false;
  bool saved_once_ = false;
};

// Fills the derived values of `record`: effective slow-connect level, text and proportional
// fonts with their heights, and (unless `keep_icon_size`) the icon size.
void compute_derived_values(SettingsRecord& record, bool keep_icon_size);
// Copies every field of `overrides` whose mask bit is set into `record`.
void apply_override_fields(SettingsRecord& record, const OverrideRecord& overrides);
// Copies only the login fields (Host, User, Domain, Password) whose mask bits are set.
void apply_login_overrides(SettingsRecord& record, const OverrideRecord& overrides);

// The process-wide store, created on first use with the registry of the current user.
SettingsStore& settings_store();
// Replaces the process-wide store (tests, or start-up with another registry).
void reset_settings_store(std::unique_ptr<SettingsStore> store = nullptr);

// The process-wide settings record: read by every thread.
const SettingsRecord& settings();
// Write access for the main thread (settings dialog, login).
SettingsRecord& mutable_settings();

// The operations of the process-wide store under their established names.
int dr_load_settings(bool unconditional);
int dr_load_login(bool unconditional);
// Without a field: all values; `force` writes again after the first whole save.
int dr_save_settings(bool force = false);
// With a field: just that value ("Date", "Last Version", ...); a null name saves all.
int dr_save_settings(const char* value_name);
int dr_save_settings(std::string_view value_name);
int dr_save_login();
int dr_save_date(std::int32_t date);
// Uninstall: deletes every key of the program for the current user.
int dr_delete_all_keys();

}  // namespace kovw::shell
