#include "shell/login_data.h"

#include <cstring>

#include "foundation/log.h"
#include "foundation/named_lock.h"
#include "net/stored_cipher.h"
#include "shell/settings_store.h"

namespace kovw::shell {

using foundation::log_printf;
using platform::Registry;

namespace {

QString name(const char* text) {
  return QString::fromLatin1(text);
}

bool starts_blank_or_empty(std::string_view text) {
  return text.empty() || text.front() == ' ';
}

std::optional<PasswordField> read_password(const Registry& registry, const QString& key,
                                           const QString& value) {
  const auto stored = registry.read_binary(key, value);
  PasswordField field{};
  if (!stored || stored->size() != qsizetype(field.size())) return std::nullopt;
  std::memcpy(field.data(), stored->constData(), field.size());
  return field;
}

QByteArray bytes_of(const PasswordField& field) {
  return QByteArray(reinterpret_cast<const char*>(field.data()), qsizetype(field.size()));
}

}  // namespace

std::string decipher_password(const PasswordField& enciphered) {
  PasswordField clear = enciphered;
  net::stored_decipher(clear.data(), nullptr, clear.size());
  const std::string text(reinterpret_cast<const char*>(clear.data()),
                         ::strnlen(reinterpret_cast<const char*>(clear.data()), clear.size()));
  clear.fill(0);
  return text;
}

// "Login" key.

int SettingsStore::save_login() {
  const QString login = name(kLoginKey);
  // Values given on the command line (or by a "kovw:" link that any web page can open) are
  // for this run only: they never replace the stored login, so that a link cannot redirect
  // the next plain start, with its stored password, to another host.
  const std::uint32_t given = overrides_ ? overrides_->mask : 0;
  Registry::WriteGuard guard(*registry_);
  if (!guard.locked()) return 0;
  bool ok = true;
  if (!(given & kOverrideHost)) {
    ok = registry_->write_string(login, name("Host"), record_.host.view()) && ok;
  }
  if (!(given & kOverrideUser)) {
    ok = registry_->write_string(login, name("User"), record_.user.view()) && ok;
  }
  if (!(given & kOverrideDomain)) {
    ok = registry_->write_string(login, name("Domain"), record_.domain.view()) && ok;
  }
  if (given & kOverridePassword) {
    // Kept as stored.
  } else if (record_.save_passwd & kSavePassword) {
    ok = registry_->write_binary(login, name("Password"), bytes_of(record_.password)) && ok;
  } else {
    // Not saved: a single zero byte takes the place of the password.
    ok = registry_->write_binary(login, name("Password"), QByteArray(1, '\0')) && ok;
  }
  return ok ? 1 : 0;
}

// Per-user password store.

QString user_password_key(std::string_view user, std::string_view host, std::string_view domain) {
  QString key = name(kUserKey) + u'\\' + Registry::escape_key_name(user);
  if (!starts_blank_or_empty(host))
    key += QStringLiteral("\\host_") + Registry::escape_key_name(host);
  if (!starts_blank_or_empty(domain)) {
    key += QStringLiteral("\\domain_") + Registry::escape_key_name(domain);
  }
  return key;
}

std::optional<PasswordField> load_user_password(Registry& registry, std::string_view user,
                                                std::string_view host, std::string_view domain) {
  return read_password(registry, user_password_key(user, host, domain), name("passwd"));
}

bool save_user_password(Registry& registry, std::string_view user, std::string_view host,
                        std::string_view domain, const PasswordField& enciphered) {
  return registry.write_binary(user_password_key(user, host, domain), name("passwd"),
                               bytes_of(enciphered));
}

bool clear_user_passwords(Registry& registry) {
  return registry.remove_key(name(kUserKey));
}

// Browser login data.

QString browser_login_key(std::string_view host, std::string_view instance) {
  return name(kBrowserKey) + u'\\' + Registry::escape_key_name(host) + u'\\' +
         Registry::escape_key_name(instance);
}

int load_browser_login(SettingsStore& store, std::string_view host, std::string_view instance,
                       std::uint32_t browser_session) {
  Registry& registry = store.registry();
  const QString key = browser_login_key(host, instance);
  const auto browser = registry.read_dword(key, name("browser"));
  const auto user = registry.read_string(key, name("user"));
  const auto password = read_password(registry, key, name("password"));
  const auto domain = registry.read_string(key, name("domain"));
  const auto slow = registry.read_dword(key, name("slow"));
  if (!browser || !user || !password || !domain || !slow) return 0;

  SettingsRecord& record = store.record();
  FixedString<64> user_field;
  FixedString<64> domain_field;
  if (!user_field.assign(*user) || !domain_field.assign(*domain)) {
    log_printf("Browser-Login: Benutzer oder Domaene zu lang (erlaubt %zu), nicht verwendet",
               user_field.capacity);
    return 0;
  }
  record.user = user_field;
  record.domain = domain_field;
  record.effective_slow_connect = static_cast<std::int32_t>(*slow);
  if (*browser == browser_session) {
    record.password = *password;
  } else {
    record.password.fill(0);
  }
  return 1;
}

int save_browser_login(SettingsStore& store, std::string_view host, std::string_view instance,
                       std::uint32_t browser_session) {
  foundation::DefaultLockGuard lock;
  Registry& registry = store.registry();
  const SettingsRecord& record = store.record();
  const QString key = browser_login_key(host, instance);
  Registry::WriteGuard guard(registry);
  if (!guard.locked()) return -1;
  bool ok = registry.write_dword(key, name("browser"), browser_session);
  ok = registry.write_string(key, name("user"), record.user.view()) && ok;
  // Value names compare without regard to case: this replaces "password".
  ok = registry.write_binary(key, name("Password"), bytes_of(record.password)) && ok;
  ok = registry.write_string(key, name("domain"), record.domain.view()) && ok;
  ok = registry.write_dword(key, name("slow"),
                            static_cast<std::uint32_t>(record.effective_slow_connect)) &&
       ok;
  return ok ? 0 : -1;
}

}  // namespace kovw::shell
