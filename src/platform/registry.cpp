#include "platform/registry.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVariant>
#include <cctype>
#include <cstring>
#include <mutex>

#include "foundation/log.h"

namespace kovw::platform {

namespace {

using foundation::log_printf;

// Value names may hold "/" and "\" (an environment variable named by the user, say), which
// QSettings would take as group separators; they are kept reversible as "%XX".
QString escape_value_name(const QString& name) {
  QString out;
  out.reserve(name.size());
  for (QChar c : name) {
    if (c == u'/' || c == u'\\' || c == u'%') {
      out += QString::asprintf("%%%02X", unsigned(c.unicode()));
    } else {
      out += c;
    }
  }
  return out;
}

QString unescape_value_name(const QString& name) {
  QString out;
  out.reserve(name.size());
  for (qsizetype i = 0; i < name.size(); ++i) {
    if (name[i] == u'%' && i + 2 < name.size()) {
      bool ok = false;
      const int code = name.mid(i + 1, 2).toInt(&ok, 16);
      if (ok) {
        out += QChar(code);
        i += 2;
        continue;
      }
    }
    out += name[i];
  }
  return out;
}

#ifndef Q_OS_WIN
// INI representation: the type is kept as a prefix of the stored text.
constexpr const char* kPrefixString = "sz:";
constexpr const char* kPrefixBinary = "hex:";
constexpr const char* kPrefixDword = "dword:";

QVariant encode(const RegValue& value) {
  switch (value.type) {
    case RegType::String:
      return QString::fromLatin1(kPrefixString) + QString::fromLatin1(value.data);
    case RegType::Binary:
      return QString::fromLatin1(kPrefixBinary) + QString::fromLatin1(value.data.toHex());
    case RegType::Dword: {
      std::uint32_t number = 0;
      std::memcpy(&number, value.data.constData(), 4);
      return QString::fromLatin1(kPrefixDword) +
             QStringLiteral("%1").arg(number, 8, 16, QChar(u'0'));
    }
  }
  return {};
}

std::optional<RegValue> decode(const QVariant& stored, const QString& where) {
  QString text;
  if (stored.typeId() == QMetaType::QString) {
    text = stored.toString();
  } else if (stored.typeId() == QMetaType::QStringList) {
    // An unquoted value with commas in a hand-edited file.
    text = stored.toStringList().join(u',');
  } else {
    log_printf("Registry: %s hat unbekannten Typ", where.toLocal8Bit().constData());
    return std::nullopt;
  }
  auto bad = [&]() -> std::optional<RegValue> {
    log_printf("Registry: %s ist fehlerhaft", where.toLocal8Bit().constData());
    return std::nullopt;
  };
  RegValue value;
  if (text.startsWith(QLatin1String(kPrefixString))) {
    const QString body = text.mid(std::strlen(kPrefixString));
    for (QChar c : body) {
      if (c.unicode() > 0xFF) return bad();
    }
    value.type = RegType::String;
    value.data = body.toLatin1();
    // A string ends at its first zero byte, as the registry reads it.
    const qsizetype zero = value.data.indexOf('\0');
    if (zero >= 0) value.data.truncate(zero);
  } else if (text.startsWith(QLatin1String(kPrefixBinary))) {
    const QByteArray hex = text.mid(std::strlen(kPrefixBinary)).toLatin1();
    if (hex.size() % 2 != 0) return bad();
    for (char c : hex) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return bad();
    }
    value.type = RegType::Binary;
    value.data = QByteArray::fromHex(hex);
  } else if (text.startsWith(QLatin1String(kPrefixDword))) {
    const QString body = text.mid(std::strlen(kPrefixDword));
    bool ok = false;
    const qulonglong number = body.toULongLong(&ok, 16);
    if (!ok || body.isEmpty() || body.size() > 8 || number > 0xFFFFFFFFull) return bad();
    const std::uint32_t n = static_cast<std::uint32_t>(number);
    value.type = RegType::Dword;
    value.data = QByteArray(reinterpret_cast<const char*>(&n), 4);
  } else {
    return bad();
  }
  return value;
}
#else
// Native registry through QSettings: numbers become REG_DWORD and texts REG_SZ, but QSettings
// stores byte arrays as marked text, not as REG_BINARY. Values written here read back with
// their types; exact REG_BINARY values for other programs need the registry API itself.
// (This branch is not built by the Linux configuration.)
QVariant encode(const RegValue& value) {
  switch (value.type) {
    case RegType::String:
      return QString::fromLatin1(value.data);
    case RegType::Binary:
      return value.data;
    case RegType::Dword: {
      std::uint32_t number = 0;
      std::memcpy(&number, value.data.constData(), 4);
      return QVariant::fromValue<uint>(number);
    }
  }
  return {};
}

std::optional<RegValue> decode(const QVariant& stored, const QString&) {
  RegValue value;
  switch (stored.typeId()) {
    case QMetaType::QString:
      value.type = RegType::String;
      value.data = stored.toString().toLatin1();
      break;
    case QMetaType::QByteArray:
      value.type = RegType::Binary;
      value.data = stored.toByteArray();
      break;
    case QMetaType::Int:
    case QMetaType::UInt: {
      const std::uint32_t n = stored.toUInt();
      value.type = RegType::Dword;
      value.data = QByteArray(reinterpret_cast<const char*>(&n), 4);
      break;
    }
    default:
      return std::nullopt;
  }
  return value;
}
#endif

QString settings_file_for(const QString& root) {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  QString name = QStringLiteral("registry");
  if (root != QLatin1String(Registry::kRootKey)) {
    name = root.section(u'\\', -1).toLower();
    name.replace(QRegularExpression(QStringLiteral("[^a-z0-9._-]")), QStringLiteral("_"));
  }
  return base + QStringLiteral("/kovw/") + name + QStringLiteral(".ini");
}

}  // namespace

Registry::Registry(QString root) {
#ifdef Q_OS_WIN
  settings_ = std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + root,
                                          QSettings::NativeFormat);
  lock_file_ =
      std::make_unique<QLockFile>(QDir::tempPath() + QStringLiteral("/kovw-registry.lock"));
#else
  file_path_ = settings_file_for(root);
  QDir().mkpath(QFileInfo(file_path_).absolutePath());
  settings_ = std::make_unique<QSettings>(file_path_, QSettings::IniFormat);
  lock_file_ = std::make_unique<QLockFile>(file_path_ + QStringLiteral(".write-lock"));
#endif
}

Registry::~Registry() {
  settings_->sync();
}

QString Registry::escape_key_name(std::string_view name) {
  if (name.empty()) return QStringLiteral("%");
  QString out;
  for (unsigned char c : name) {
    if (c == '/' || c == '\\' || c == '%' || c < 0x20 || c == 0x7F) {
      out += QString::asprintf("%%%02X", unsigned(c));
    } else {
      out += QChar(c);  // 8-bit text, one character per byte
    }
  }
  return out;
}

void Registry::refresh() {
  const std::lock_guard hold(mutex_);
  if (lock_depth_ == 0) settings_->sync();
}

QString Registry::resolve_group(const QString& key) const {
  const QStringList parts = key.split(u'\\', Qt::SkipEmptyParts);
  QString group;
  bool stored = true;  // whether the path so far exists, so that its children are worth a look
  for (const QString& part : parts) {
    QString match = part;
    if (stored) {
      settings_->beginGroup(group);
      const QStringList children = settings_->childGroups();
      settings_->endGroup();
      stored = false;
      for (const QString& child : children) {
        if (child.compare(part, Qt::CaseInsensitive) == 0) {
          match = child;
          stored = true;
          break;
        }
      }
    }
    group = group.isEmpty() ? match : group + u'/' + match;
  }
  return group;
}

QString Registry::resolve_value(const QString& group, const QString& name) const {
  const QString escaped = escape_value_name(name);
  settings_->beginGroup(group);
  const QStringList keys = settings_->childKeys();
  settings_->endGroup();
  for (const QString& stored : keys) {
    if (stored.compare(escaped, Qt::CaseInsensitive) == 0) return stored;
  }
  return escaped;
}

QString Registry::value_path(const QString& key, const QString& name) const {
  const QString group = resolve_group(key);
  const QString value = resolve_value(group, name);
  return group.isEmpty() ? value : group + u'/' + value;
}

bool Registry::key_exists(const QString& key) const {
  const std::lock_guard hold(mutex_);
  const QString group = resolve_group(key);
  settings_->beginGroup(group);
  const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
  settings_->endGroup();
  return exists;
}

QStringList Registry::value_names(const QString& key) const {
  const std::lock_guard hold(mutex_);
  settings_->beginGroup(resolve_group(key));
  QStringList names = settings_->childKeys();
  settings_->endGroup();
  for (QString& name : names) name = unescape_value_name(name);
  return names;
}

QStringList Registry::subkeys(const QString& key) const {
  const std::lock_guard hold(mutex_);
  settings_->beginGroup(resolve_group(key));
  const QStringList names = settings_->childGroups();
  settings_->endGroup();
  return names;
}

std::optional<RegValue> Registry::read(const QString& key, const QString& name) const {
  const std::lock_guard hold(mutex_);
  const QString path = value_path(key, name);
  const QVariant stored = settings_->value(path);
  if (!stored.isValid()) return std::nullopt;
  return decode(stored, key + u'\\' + name);
}

std::optional<std::int32_t> Registry::read_int(const QString& key, const QString& name) const {
  const auto value = read(key, name);
  if (!value || value->type != RegType::Binary || value->data.size() != 4) return std::nullopt;
  const auto* b = reinterpret_cast<const unsigned char*>(value->data.constData());
  return static_cast<std::int32_t>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                   std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
}

std::optional<std::uint8_t> Registry::read_byte(const QString& key, const QString& name) const {
  const auto value = read(key, name);
  if (!value || value->type != RegType::Binary || value->data.size() != 1) return std::nullopt;
  return static_cast<std::uint8_t>(value->data[0]);
}

std::optional<std::uint32_t> Registry::read_dword(const QString& key, const QString& name) const {
  const auto value = read(key, name);
  if (!value || value->type != RegType::Dword || value->data.size() != 4) return std::nullopt;
  const auto* b = reinterpret_cast<const unsigned char*>(value->data.constData());
  return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
         std::uint32_t(b[3]) << 24;
}

std::optional<std::string> Registry::read_string(const QString& key, const QString& name) const {
  const auto value = read(key, name);
  if (!value || value->type != RegType::String) return std::nullopt;
  return value->data.toStdString();
}

std::optional<QByteArray> Registry::read_binary(const QString& key, const QString& name) const {
  const auto value = read(key, name);
  if (!value || value->type != RegType::Binary) return std::nullopt;
  return value->data;
}

bool Registry::lock() {
  const std::lock_guard hold(mutex_);
  if (lock_depth_++ > 0) return !lock_failed_;
  if (!lock_file_->tryLock(lock_timeout_)) {
    lock_failed_ = true;
    log_printf("Registry: Schreibsperre %s nicht erhalten (Fehler %d)",
               file_path_.toLocal8Bit().constData(), static_cast<int>(lock_file_->error()));
    return false;
  }
  // Pick up what another process wrote before the lock was ours.
  settings_->sync();
  return true;
}

void Registry::unlock() {
  const std::lock_guard hold(mutex_);
  if (lock_depth_ == 0 || --lock_depth_ > 0) return;
  if (lock_failed_) {
    lock_failed_ = false;
    return;
  }
  settings_->sync();
  if (settings_->status() != QSettings::NoError) {
    log_printf("Registry: %s kann nicht geschrieben werden", file_path_.toLocal8Bit().constData());
  }
  lock_file_->unlock();
}

bool Registry::write(const QString& key, const QString& name, const RegValue& value) {
  const std::lock_guard hold(mutex_);
  WriteGuard guard(*this);
  if (!guard.locked()) return false;
  const QVariant encoded = encode(value);
  settings_->setValue(value_path(key, name), encoded);
  return settings_->status() == QSettings::NoError;
}

bool Registry::write_int(const QString& key, const QString& name, std::int32_t value) {
  const auto n = static_cast<std::uint32_t>(value);
  const char bytes[4] = {char(n & 0xFF), char(n >> 8 & 0xFF), char(n >> 16 & 0xFF),
                         char(n >> 24 & 0xFF)};
  return write(key, name, RegValue{RegType::Binary, QByteArray(bytes, 4)});
}

bool Registry::write_byte(const QString& key, const QString& name, std::uint8_t value) {
  return write(key, name, RegValue{RegType::Binary, QByteArray(1, char(value))});
}

bool Registry::write_dword(const QString& key, const QString& name, std::uint32_t value) {
  const char bytes[4] = {char(value & 0xFF), char(value >> 8 & 0xFF), char(value >> 16 & 0xFF),
                         char(value >> 24 & 0xFF)};
  return write(key, name, RegValue{RegType::Dword, QByteArray(bytes, 4)});
}

bool Registry::write_string(const QString& key, const QString& name, std::string_view text) {
  const std::size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  return write(key, name,
               RegValue{RegType::String, QByteArray(text.data(), qsizetype(text.size()))});
}

bool Registry::write_binary(const QString& key, const QString& name, const QByteArray& bytes) {
  return write(key, name, RegValue{RegType::Binary, bytes});
}

bool Registry::create_key(const QString& key) {
  const std::lock_guard hold(mutex_);
  WriteGuard guard(*this);
  if (!guard.locked()) return false;
#ifdef Q_OS_WIN
  // The registry keeps keys without values; a group gets created by QSettings only with a
  // value, so a marker is set and removed again.
  const QString group = resolve_group(key);
  settings_->setValue(group + QStringLiteral("/.kovw"), 0);
  settings_->remove(group + QStringLiteral("/.kovw"));
#else
  (void)key;  // an INI file has no keys without values; nothing to do
#endif
  return true;
}

bool Registry::remove_value(const QString& key, const QString& name) {
  const std::lock_guard hold(mutex_);
  WriteGuard guard(*this);
  if (!guard.locked()) return false;
  settings_->remove(value_path(key, name));
  return settings_->status() == QSettings::NoError;
}

bool Registry::remove_key(const QString& key) {
  const std::lock_guard hold(mutex_);
  WriteGuard guard(*this);
  if (!guard.locked()) return false;
  const QString group = resolve_group(key);
  if (group.isEmpty()) {
    settings_->clear();
  } else {
    settings_->remove(group);
  }
  return settings_->status() == QSettings::NoError;
}

}  // namespace kovw::platform
