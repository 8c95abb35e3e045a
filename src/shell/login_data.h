#pragma once
// Stored login data besides the "Login" key of the settings store: enciphering of password
// fields, the per-user password store ("User" key) and the browser login data
// ("Login\Browser"). Passwords are kept enciphered with the stored-data cipher everywhere
// and deciphered only where the clear text is needed.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "shell/password_field.h"

namespace kovw::shell {

class SettingsStore;

using PasswordField = std::array<std::uint8_t, 32>;

// The clear text of an enciphered field (up to its first zero byte).
std::string decipher_password(const PasswordField& enciphered);

// The key of the per-user password store: "User\<user>[\host_<host>][\domain_<domain>]",
// host and domain left out when empty or starting with a blank; every name escaped.
QString user_password_key(std::string_view user, std::string_view host, std::string_view domain);
// The stored (enciphered) password of user, host and domain; nullopt when none is stored.
std::optional<PasswordField> load_user_password(platform::Registry& registry, std::string_view user,
                                                std::string_view host, std::string_view domain);
bool save_user_password(platform::Registry& registry, std::string_view user, std::string_view host,
                        std::string_view domain, const PasswordField& enciphered);
// "Clear Passwords": deletes the whole "User" key.
bool clear_user_passwords(platform::Registry& registry);

// The key of the browser login data: "Login\Browser\<host>\<instance>", names escaped.
QString browser_login_key(std::string_view host, std::string_view instance);
// Reads the browser login data of `host` (given with -r) and `instance` (the browser-mode
// instance name). Only when all five values exist: user and domain become the login
// values, "slow" the effective slow-connect level, and the password is taken when "browser"
// equals `browser_session` (else it is cleared). Returns 1 when used, 0 when incomplete.
int load_browser_login(SettingsStore& store, std::string_view host, std::string_view instance,
                       std::uint32_t browser_session);
// Writes all five values after a successful browser login, under the global lock.
// Returns 0, or -1 when the store could not be written.
int save_browser_login(SettingsStore& store, std::string_view host, std::string_view instance,
                       std::uint32_t browser_session);

}  // namespace kovw::shell
