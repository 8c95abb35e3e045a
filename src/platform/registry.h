#pragma once
// The per-user settings registry. On Windows it is the real registry of the current user
// below the program's root key; elsewhere an INI file in the XDG config directory
// ($XDG_CONFIG_HOME/kovw/registry.ini, ~/.config/kovw/registry.ini by default).
//
// Key paths are written with "\" between the parts, as in the registry ("Login\Browser").
// Key and value names compare without regard to case. Every value keeps its registry type
// (string, binary, 32-bit number), so that a value of the wrong type reads as missing.
// Names that come from users (user, host, domain, program names) must pass through
// escape_key_name() before they become part of a key path.
//
// An instance may be shared between threads. Writes are guarded by a lock file, so that a second
// workstation process of the same user cannot interleave its writes; a batch of writes holds the
// lock with a WriteGuard.

#include <QByteArray>
#include <QLockFile>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace kovw::platform {

enum class RegType {
  String,  // REG_SZ: 8-bit text; its stored size counts the terminating zero
  Binary,  // REG_BINARY: raw bytes
  Dword,   // REG_DWORD: a 32-bit number
};

struct RegValue {
  RegType type = RegType::Binary;
  QByteArray data;  // String: the text without its terminating zero; Dword: 4 bytes LE
};

class Registry {
 public:
  // The program's root key below HKEY_CURRENT_USER.
  static constexpr const char* kRootKey = "Software\\Halvren Software Engineering\\KOV\\KOVW 1.0";

  // The registry of the current user, below `root` (a key path below HKEY_CURRENT_USER; on
  // other systems only the Windows root of the program has its own file, other roots get a
  // file named after their last part).
  explicit Registry(QString root = QString::fromLatin1(kRootKey));
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // The file that holds the values (empty on Windows).
  QString file_path() const { return file_path_; }

  // Makes a user-supplied name usable as one part of a key path: "/", "\" and "%" (and
  // control characters) become "%XX", an empty name becomes "%", so that the name can
  // neither create nor reach another key.
  static QString escape_key_name(std::string_view name);

  // Re-reads values that another process may have written.
  void refresh();

  bool key_exists(const QString& key) const;
  // Names of the values and of the subkeys of `key`, in stored order.
  QStringList value_names(const QString& key) const;
  QStringList subkeys(const QString& key) const;

  std::optional<RegValue> read(const QString& key, const QString& name) const;
  // Typed reads: nullopt when the value is missing or has another type or size.
  std::optional<std::int32_t> read_int(const QString& key, const QString& name) const;
  std::optional<std::uint8_t> read_byte(const QString& key, const QString& name) const;
  std::optional<std::uint32_t> read_dword(const QString& key, const QString& name) const;
  std::optional<std::string> read_string(const QString& key, const QString& name) const;
  std::optional<QByteArray> read_binary(const QString& key, const QString& name) const;

  // Writes create missing keys. They return false when the lock cannot be had or the
  // store cannot be written.
  bool write(const QString& key, const QString& name, const RegValue& value);
  bool write_int(const QString& key, const QString& name, std::int32_t value);
  bool write_byte(const QString& key, const QString& name, std::uint8_t value);
  bool write_dword(const QString& key, const QString& name, std::uint32_t value);
  bool write_string(const QString& key, const QString& name, std::string_view text);
  bool write_binary(const QString& key, const QString& name, const QByteArray& bytes);
  // Creates `key` without values.
  bool create_key(const QString& key);
  bool remove_value(const QString& key, const QString& name);
  // Removes `key` with all its values and subkeys; true also when it did not exist.
  bool remove_key(const QString& key);

  // Holds the write lock (and delays the flush to the file) for a batch of writes.
  class WriteGuard {
   public:
    explicit WriteGuard(Registry& registry) : registry_(registry), ok_(registry.lock()) {}
    ~WriteGuard() { registry_.unlock(); }
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;
    bool locked() const { return ok_; }

   private:
    Registry& registry_;
    bool ok_;
  };

  // How long a write waits for another process's lock, in milliseconds.
  void set_lock_timeout(int milliseconds) { lock_timeout_ = milliseconds; }

 private:
  bool lock();
  void unlock();
  // The QSettings group path of `key` with each part matched case-insensitively against the
  // stored names (so "settings" reaches "Settings"); parts not stored yet are kept as given.
  QString resolve_group(const QString& key) const;
  // The stored spelling of value `name` in `group`, or `name` when none matches.
  QString resolve_value(const QString& group, const QString& name) const;
  QString value_path(const QString& key, const QString& name) const;

  // One registry may serve several threads (program threads save window sizes while the
  // main thread saves settings); every operation holds this.
  mutable std::recursive_mutex mutex_;
  QString file_path_;
  std::unique_ptr<QSettings> settings_;
  std::unique_ptr<QLockFile> lock_file_;
  int lock_depth_ = 0;
  bool lock_failed_ = false;
  int lock_timeout_ = 5000;
};

}  // namespace kovw::platform
