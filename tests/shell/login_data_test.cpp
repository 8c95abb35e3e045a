#include "shell/login_data.h"

#include <gtest/gtest.h>

#include "net/stored_cipher.h"
#include "shell/settings_store.h"
#include "shell/settings_workflow.h"
#include "shell/temp_xdg_home.h"

namespace kovw::shell {
namespace {

using platform::Registry;

class LoginDataTest : public ::testing::Test {
 protected:
  std::unique_ptr<SettingsStore> store(const OverrideRecord* overrides = nullptr) {
    auto s = std::make_unique<SettingsStore>();
    s->set_overrides(overrides);
    return s;
  }
  static PasswordField enciphered(std::string_view clear) {
    PasswordField field{};
    EXPECT_TRUE(encipher_password(clear, field));
    return field;
  }

  test::TempXdgHome home;
};

TEST_F(LoginDataTest, PasswordIsStoredEncipheredOnlyWhenSavingIsOn) {
  auto s = store();
  s->load_settings(true);
  SettingsRecord& r = s->record();
  r.host.assign("alpha");
  r.user.assign("anna");
  r.domain.assign("corp");
  r.password = enciphered("secret");

  // Not saved: a single zero byte.
  r.save_passwd = 0;
  EXPECT_EQ(s->save_login(), 1);
  EXPECT_EQ(Registry().read_binary(kLoginKey, "Password"), QByteArray(1, '\0'));
  EXPECT_EQ(Registry().read_string(kLoginKey, "Host"), "alpha");

  // Saved: the 32 enciphered bytes, never the clear text.
  r.save_passwd = kSavePassword;
  EXPECT_EQ(s->save_login(), 1);
  const auto stored = Registry().read_binary(kLoginKey, "Password");
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->size(), 32);
  EXPECT_FALSE(stored->contains("secret"));
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(r.password.data()), 32), *stored);

  // Loaded back with bit 0 set: the enciphered field, deciphered only on demand.
  auto loaded = store();
  loaded->load_settings(true);
  loaded->record().save_passwd = kSavePassword;
  loaded->load_login(true);
  EXPECT_EQ(loaded->record().user, "anna");
  EXPECT_EQ(decipher_password(loaded->record().password), "secret");

  // Without bit 0 the password is not read.
  loaded->record().save_passwd = 0;
  loaded->load_login(true);
  EXPECT_EQ(loaded->record().password, PasswordField{});
}

TEST_F(LoginDataTest, LoginIsReadOnceAndOverridesAreReapplied) {
  auto s = store();
  s->load_settings(true);
  s->record().host.assign("stored-host");
  s->record().user.assign("stored-user");
  s->save_login();

  OverrideRecord o;
  o.mask = kOverrideUser | kOverridePassword;
  o.values.user.assign("cmd-user");
  o.values.password = enciphered("cmdpw");
  auto loaded = store(&o);
  loaded->load_settings(true);
  loaded->load_login(false);
  EXPECT_EQ(loaded->record().host, "stored-host");
  EXPECT_EQ(loaded->record().user, "cmd-user");
  EXPECT_EQ(decipher_password(loaded->record().password), "cmdpw");

  Registry().write_string(kLoginKey, "Host", "changed");
  loaded->load_login(false);
  EXPECT_EQ(loaded->record().host, "stored-host");
  loaded->load_login(true);
  EXPECT_EQ(loaded->record().host, "changed");
}

TEST_F(LoginDataTest, CommandLineLoginValuesAreNotStored) {
  auto s = store();
  s->load_settings(true);
  s->record().host.assign("home-host");
  s->record().user.assign("anna");
  s->record().save_passwd = kSavePassword;
  s->record().password = enciphered("stored");
  ASSERT_EQ(s->save_login(), 1);

  // kovw:-r evil -b mallory//pw: used for this run, never written back.
  OverrideRecord o;
  o.mask = kOverrideHost | kOverrideUser | kOverridePassword;
  o.values.host.assign("evil");
  o.values.user.assign("mallory");
  o.values.password = enciphered("pw");
  auto run = store(&o);
  run->load_settings(true);
  run->load_login(true);
  EXPECT_EQ(run->record().host, "evil");
  run->record().domain.assign("typed-domain");
  ASSERT_EQ(run->save_login(), 1);

  Registry registry;
  EXPECT_EQ(registry.read_string(kLoginKey, "Host"), "home-host");
  EXPECT_EQ(registry.read_string(kLoginKey, "User"), "anna");
  EXPECT_EQ(registry.read_string(kLoginKey, "Domain"), "typed-domain");
  const auto password = registry.read_binary(kLoginKey, "Password");
  ASSERT_TRUE(password);
  PasswordField field{};
  ASSERT_EQ(password->size(), 32);
  std::memcpy(field.data(), password->constData(), 32);
  EXPECT_EQ(decipher_password(field), "stored");
}

TEST_F(LoginDataTest, MalformedLoginValuesAreNotUsed) {
  Registry registry;
  registry.write_string(kLoginKey, "Host", std::string(64, 'h'));  // one too long
  registry.write_string(kLoginKey, "User", std::string(63, 'u'));  // fits
  registry.write_binary(kLoginKey, "Password", QByteArray(31, 'p'));
  auto s = store();
  s->load_settings(true);
  s->record().save_passwd = kSavePassword;
  s->load_login(true);
  EXPECT_TRUE(s->record().host.empty());
  EXPECT_EQ(s->record().user.size(), 63u);
  EXPECT_EQ(s->record().password, PasswordField{});
}

TEST_F(LoginDataTest, PerUserPasswordStoreKeysAndHostileNames) {
  Registry registry;
  EXPECT_EQ(user_password_key("anna", "alpha", "corp"), "User\\anna\\host_alpha\\domain_corp");
  EXPECT_EQ(user_password_key("anna", "", " corp"), "User\\anna");
  EXPECT_EQ(user_password_key("anna", " x", "corp"), "User\\anna\\domain_corp");

  ASSERT_TRUE(save_user_password(registry, "anna", "alpha", "", enciphered("pw1")));
  ASSERT_TRUE(save_user_password(registry, "..\\..\\Settings", "a/b", "", enciphered("pw2")));
  ASSERT_TRUE(save_user_password(registry, "x", "", "", enciphered("pw3")));
  const auto first = load_user_password(registry, "anna", "alpha", "");
  ASSERT_TRUE(first);
  EXPECT_EQ(decipher_password(*first), "pw1");
  EXPECT_EQ(decipher_password(*load_user_password(registry, "..\\..\\Settings", "a/b", "")), "pw2");
  EXPECT_FALSE(load_user_password(registry, "anna", "beta", ""));
  EXPECT_FALSE(load_user_password(registry, "..", "", ""));
  // The hostile names stayed below "User".
  EXPECT_EQ(registry.subkeys(""), QStringList{"User"});
  EXPECT_EQ(registry.subkeys("User").size(), 3);

  ASSERT_TRUE(clear_user_passwords(registry));
  EXPECT_FALSE(load_user_password(registry, "anna", "alpha", ""));
  EXPECT_FALSE(registry.key_exists("User"));
}

TEST_F(LoginDataTest, BrowserLoginIsUsedOnlyWhenCompleteAndThePasswordOnlyInItsSession) {
  auto s = store();
  s->load_settings(true);
  EXPECT_EQ(load_browser_login(*s, "alpha", "4724", 7), 0);

  SettingsRecord& r = s->record();
  r.user.assign("bob");
  r.domain.assign("corp");
  r.password = enciphered("bpw");
  r.effective_slow_connect = 2;
  ASSERT_EQ(save_browser_login(*s, "alpha", "4724", 7), 0);
  Registry registry;
  // Written as "Password", found as "password".
  EXPECT_EQ(registry.value_names(browser_login_key("alpha", "4724")).size(), 5);
  EXPECT_EQ(registry.read_dword(browser_login_key("alpha", "4724"), "slow"), 2u);

  auto same_session = store();
  same_session->load_settings(true);
  ASSERT_EQ(load_browser_login(*same_session, "alpha", "4724", 7), 1);
  EXPECT_EQ(same_session->record().user, "bob");
  EXPECT_EQ(same_session->record().domain, "corp");
  EXPECT_EQ(same_session->record().effective_slow_connect, 2);
  EXPECT_EQ(decipher_password(same_session->record().password), "bpw");

  auto other_session = store();
  other_session->load_settings(true);
  other_session->record().password = enciphered("old");
  ASSERT_EQ(load_browser_login(*other_session, "alpha", "4724", 8), 1);
  EXPECT_EQ(other_session->record().user, "bob");
  EXPECT_EQ(other_session->record().password, PasswordField{});

  // One value missing: nothing is used.
  registry.remove_value(browser_login_key("alpha", "4724"), "domain");
  auto incomplete = store();
  incomplete->load_settings(true);
  EXPECT_EQ(load_browser_login(*incomplete, "alpha", "4724", 7), 0);
  EXPECT_TRUE(incomplete->record().user.empty());
}

TEST_F(LoginDataTest, WorkflowKeyStoresOnlyGivenValuesAndThePasswordEncipheredTwice) {
  Registry registry;
  WorkflowOptions given;
  given.user_given = true;
  const char user[] = "wfuser";
  std::memcpy(given.user.data(), user, sizeof user);
  net::stored_encipher(given.user.data(), nullptr, given.user.size());
  const char password[] = "wfpass";
  std::memcpy(given.password.data(), password, sizeof password);
  net::stored_encipher(given.password.data(), nullptr, given.password.size());
  given.domain.assign("wfdomain");
  given.host.assign("not-given");  // -xr not given: not written
  ASSERT_EQ(dwf_save_settings(registry, given), 0);

  EXPECT_FALSE(registry.read(kWorkflowKey, "Host"));
  EXPECT_FALSE(registry.read(kWorkflowKey, "KOVD Port"));
  const auto stored = registry.read_binary(kWorkflowKey, "Password");
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->size(), 256);
  auto twice = given.password;
  net::stored_encipher(twice.data(), nullptr, twice.size());
  EXPECT_EQ(*stored, QByteArray(reinterpret_cast<const char*>(twice.data()), 256));

  WorkflowOptions loaded;
  ASSERT_EQ(dwf_load_settings(registry, loaded), 0);
  EXPECT_EQ(loaded.kovd_port, 4724);
  EXPECT_FALSE(loaded.port_given);
  EXPECT_FALSE(loaded.host_given);
  EXPECT_EQ(loaded.password, given.password);  // deciphered once: as after parsing
  EXPECT_EQ(workflow_user(loaded), "wfuser");
  EXPECT_EQ(loaded.domain, "wfdomain");

  WorkflowOptions port_and_host;
  port_and_host.port_given = true;
  port_and_host.kovd_port = 5724;
  port_and_host.host_given = true;
  port_and_host.host.assign("wfhost");
  ASSERT_EQ(dwf_save_settings(registry, port_and_host), 0);
  WorkflowOptions all;
  ASSERT_EQ(dwf_load_settings(registry, all), 0);
  EXPECT_EQ(all.kovd_port, 5724);
  EXPECT_EQ(all.host, "wfhost");
  EXPECT_EQ(workflow_user(all), "wfuser");  // kept from the first save
}

TEST_F(LoginDataTest, WorkflowLoadWithoutKeyFails) {
  Registry registry;
  WorkflowOptions values;
  EXPECT_EQ(dwf_load_settings(registry, values), -1);
}

}  // namespace
}  // namespace kovw::shell
