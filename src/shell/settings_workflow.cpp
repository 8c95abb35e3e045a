#include "shell/settings_workflow.h"

#include <cstring>

#include "foundation/log.h"
#include "foundation/verbose.h"
#include "net/stored_cipher.h"
#include "shell/settings_store.h"

namespace kovw::shell {

using foundation::kVerboseGeneral;
using foundation::log_printf;
using foundation::verbose;
using platform::Registry;

namespace {

QString name(const char* text) {
  return QString::fromLatin1(text);
}

void log_key() {
  if (verbose(kVerboseGeneral)) {
    log_printf("Key=%s\\%s", Registry::kRootKey, kWorkflowKey);
  }
}

void log_number(const char* value, std::int32_t number) {
  if (verbose(kVerboseGeneral)) log_printf("%s = %d", value, number);
}

void log_text(const char* value, std::string_view text) {
  if (verbose(kVerboseGeneral)) log_printf("%s = %.*s", value, int(text.size()), text.data());
}

template <std::size_t N>
QByteArray bytes_of(const std::array<std::uint8_t, N>& field) {
  return QByteArray(reinterpret_cast<const char*>(field.data()), qsizetype(N));
}

template <std::size_t N>
bool read_field(const Registry& registry, const char* value, std::array<std::uint8_t, N>& field) {
  const auto stored = registry.read_binary(name(kWorkflowKey), name(value));
  if (!stored) return false;
  if (stored->size() != qsizetype(N)) {
    log_printf("Workflow %s hat %d statt %zu Bytes, nicht verwendet", value, int(stored->size()),
               N);
    return false;
  }
  std::memcpy(field.data(), stored->constData(), N);
  return true;
}

template <std::size_t N>
bool read_text(const Registry& registry, const char* value, foundation::FixedString<N>& field) {
  const auto stored = registry.read_string(name(kWorkflowKey), name(value));
  if (!stored) return false;
  if (!field.assign(*stored)) {
    log_printf("Workflow %s zu lang (%zu Zeichen, erlaubt %zu), nicht verwendet", value,
               stored->size(), field.capacity);
    return false;
  }
  log_text(value, field.view());
  return true;
}

}  // namespace

int dwf_save_settings(Registry& registry, const WorkflowOptions& values) {
  const QString key = name(kWorkflowKey);
  log_key();
  Registry::WriteGuard guard(registry);
  if (!guard.locked()) return -1;
  bool ok = true;
  if (values.port_given) {
    ok = registry.write_int(key, name("KOVD Port"), values.kovd_port) && ok;
    log_number("KOVD Port", values.kovd_port);
  }
  if (values.user_given) {
    ok = registry.write_binary(key, name("User"), bytes_of(values.user)) && ok;
    ok = registry.write_string(key, name("Domain"), values.domain.view()) && ok;
    log_text("Domain", values.domain.view());
    auto password = values.password;
    net::stored_encipher(password.data(), nullptr, password.size());
    ok = registry.write_binary(key, name("Password"), bytes_of(password)) && ok;
    password.fill(0);
  }
  if (values.host_given) {
    ok = registry.write_string(key, name("Host"), values.host.view()) && ok;
    log_text("Host", values.host.view());
  }
  if (verbose(kVerboseGeneral)) log_printf("Workflow Vorgaben gespeichert");
  return ok ? 0 : -1;
}

int dwf_load_settings(Registry& registry, WorkflowOptions& values) {
  const QString key = name(kWorkflowKey);
  log_key();
  registry.refresh();
  if (!registry.key_exists(key)) return -1;
  const auto port = registry.read_int(key, name("KOVD Port"));
  values.kovd_port = port.value_or(4724);
  values.port_given = port.has_value();
  log_number("KOVD Port", values.kovd_port);
  const bool user = read_field(registry, "User", values.user);
  read_text(registry, "Domain", values.domain);
  const bool password = read_field(registry, "Password", values.password);
  if (password) net::stored_decipher(values.password.data(), nullptr, values.password.size());
  values.user_given = user || password;
  values.host_given = read_text(registry, "Host", values.host);
  if (verbose(kVerboseGeneral)) log_printf("Vorgaben gelesen");
  return 0;
}

std::string workflow_user(const WorkflowOptions& values) {
  auto clear = values.user;
  net::stored_decipher(clear.data(), nullptr, clear.size());
  const char* text = reinterpret_cast<const char*>(clear.data());
  std::string user(text, ::strnlen(text, clear.size()));
  clear.fill(0);
  return user;
}

}  // namespace kovw::shell
