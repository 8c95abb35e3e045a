// The login dialog in the test process: typing a login against a daemon, the status line and
// enable rules while connected, Cancel after a failed login, and a login against hostsim to
// a host that the dialog's host search found.
#include "shell/login_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "fake_daemon.h"
#include "foundation/message_table.h"
#include "net/link_names.h"
#include "protocol/server_messages.h"
#include "shell/connection_state.h"
#include "shell/main_window.h"
#include "shell/password_dialogs.h"
#include "shell/server_connection.h"
#include "shell/settings_store.h"
#include "shell/startup.h"
#include "shell/temp_xdg_home.h"
#include "shell_gui_fixture.h"

namespace kovw::shell {
namespace {

using test::application;
using test::spin_until;

// A main window with its connection against a daemon whose link port is `link_port`; the
// login dialog comes from the main window as the workstation shows it.
class LoginDialogTest : public ::testing::Test {
 protected:
  void open(int link_port, bool with_host_list, const char* host) {
    application();
    // The login data the dialog saves go to a registry below a temporary home.
    reset_settings_store(std::make_unique<SettingsStore>());
    foundation::set_language(foundation::kLanguageEnglish);
    SettingsRecord& settings = mutable_settings();
    settings = SettingsRecord{};
    settings.host.assign(host);
    settings.kovd_port = link_port - 1;
    settings.start_program.assign(" ");
    settings.disable_ask_for_hosts = 0;
    shell_state().ports = derive_port_plan(settings);
    shell_state().login_template = with_host_list ? 211 : 213;
    shell_state().options = StartOptions{};
    window_ = new MainWindow();
    connection_ = new ServerConnection(window_, settings);
    window_->show_login_dialog();
    dialog_ = window_->login_dialog();
    ASSERT_NE(dialog_, nullptr);
  }

  void TearDown() override {
    delete window_;  // logs out and destroys the dialog
    reset_settings_store();
  }

  template <typename T>
  T* child(const char* name) {
    return dialog_->findChild<T*>(QString::fromLatin1(name));
  }

  void type_login(const QString& user, const QString& password) {
    child<QLineEdit>("user")->clear();
    QTest::keyClicks(child<QLineEdit>("user"), user);
    child<QLineEdit>("password")->clear();
    QTest::keyClicks(child<QLineEdit>("password"), password);
  }

  test::TempXdgHome home_;
  MainWindow* window_ = nullptr;
  ServerConnection* connection_ = nullptr;
  LoginDialog* dialog_ = nullptr;
};

TEST_F(LoginDialogTest, TypedLoginConnectsAndTheDialogFollowsTheState) {
  test::FakeDaemon daemon(test::DaemonConfig{});
  open(daemon.port(), false, "127.0.0.1");
  EXPECT_TRUE(
      child<QLabel>("status")->text().endsWith(foundation::message_text(kStateNotConnected)));
  type_login("anna", "secret");
  QTest::mouseClick(child<QPushButton>("ok"), Qt::LeftButton);
  ASSERT_TRUE(spin_until([&] { return connection_->state() == kStateConnected; }));
  EXPECT_EQ(daemon.login_seen().user, "anna");
  EXPECT_EQ(daemon.login_seen().password, "secret");
  ASSERT_TRUE(spin_until([&] { return child<QLabel>("status")->text().startsWith("0:00:0"); }));
  for (const char* name : {"host", "user", "password", "domain", "slowConnection", "ok"}) {
    EXPECT_FALSE(child<QWidget>(name)->isEnabled()) << name;
  }
  EXPECT_TRUE(child<QPushButton>("cancel")->isEnabled());
}

TEST_F(LoginDialogTest, PasswordOfThirtyOneCharactersIsRefusedAndCleared) {
  test::FakeDaemon daemon(test::DaemonConfig{});
  open(daemon.port(), false, "127.0.0.1");
  type_login("anna", QString(31, QLatin1Char('x')));
  EXPECT_EQ(child<QLineEdit>("password")->text().size(), 31);
  QTest::mouseClick(child<QPushButton>("ok"), Qt::LeftButton);
  EXPECT_TRUE(child<QLineEdit>("password")->text().isEmpty());
  EXPECT_EQ(connection_->state(), kStateNotConnected);
  QCoreApplication::processEvents();
  EXPECT_FALSE(daemon.received(net::KWK_KLOGIN));
}

TEST_F(LoginDialogTest, CancelAfterAFailedLoginClosesWhenUnchangedAndLogsInWhenChanged) {
  test::DaemonConfig config;
  config.refuse_reason = 1;
  test::FakeDaemon daemon(config);
  open(daemon.port(), false, "127.0.0.1");
  QSignalSpy close_requests(dialog_, &LoginDialog::close_requested);
  QSignalSpy results(connection_, &ServerConnection::login_finished);
  type_login("anna", "wrong");
  QTest::mouseClick(child<QPushButton>("ok"), Qt::LeftButton);
  ASSERT_TRUE(spin_until([&] { return results.count() == 1; }));
  EXPECT_EQ(results.at(0).at(0).toInt(), -1);
  EXPECT_TRUE(child<QPushButton>("cancel")->isDefault());

  // A changed field: Cancel logs in again.
  type_login("anna", "other");
  QTest::mouseClick(child<QPushButton>("cancel"), Qt::LeftButton);
  ASSERT_TRUE(spin_until([&] { return results.count() == 2; }));
  EXPECT_EQ(close_requests.count(), 0);
  EXPECT_EQ(daemon.all_of(net::KWK_KLOGIN).size(), 2u);

  // Nothing changed since that attempt: Cancel closes.
  QTest::mouseClick(child<QPushButton>("cancel"), Qt::LeftButton);
  EXPECT_EQ(close_requests.count(), 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(daemon.all_of(net::KWK_KLOGIN).size(), 2u);
}

TEST_F(LoginDialogTest, CancelBeforeAnyFailedLoginClosesAndReloadsTheLoginData) {
  test::FakeDaemon daemon(test::DaemonConfig{});
  open(daemon.port(), false, "127.0.0.1");
  QSignalSpy close_requests(dialog_, &LoginDialog::close_requested);
  type_login("someone", "x");
  QTest::keyClick(dialog_, Qt::Key_Escape);
  EXPECT_EQ(close_requests.count(), 1);
  EXPECT_FALSE(daemon.received(net::KWK_KLOGIN));
}

// The change-password button: the dialog asks old, new and repeated password, refuses what
// the daemon's rule level forbids, sends the change and shows the daemon's answer.
TEST_F(LoginDialogTest, ChangePasswordChecksTheRulesAndSendsTheChange) {
  test::DaemonConfig config;
  config.extra_reply_flags = 0x300;  // rule level 3
  test::FakeDaemon daemon(config);
  open(daemon.port(), false, "127.0.0.1");
  QSignalSpy results(connection_, &ServerConnection::login_finished);
  type_login("anna", "secret");
  QTest::mouseClick(child<QPushButton>("changePassword"), Qt::LeftButton);
  ChangePasswordDialog* change = nullptr;
  ASSERT_TRUE(spin_until([&] {
    change = window_->findChild<ChangePasswordDialog*>();
    return change != nullptr;
  }));
  EXPECT_TRUE(child<QLineEdit>("password")->text().isEmpty());  // cleared after the change
  // Seven letters and a digit: level 3 wants a special character; the dialog stays.
  QTest::keyClicks(change->old_field(), "secret");
  QTest::keyClicks(change->new_field(), "abcdefg1");
  QTest::keyClicks(change->repeated_field(), "abcdefg1");
  change->accept();
  EXPECT_TRUE(change->isVisible());
  EXPECT_TRUE(change->new_field()->text().isEmpty());
  QTest::keyClicks(change->new_field(), "abcdef1!");
  QTest::keyClicks(change->repeated_field(), "abcdef1!");
  change->accept();
  test::ReceivedMessage pass;
  ASSERT_TRUE(daemon.wait_for(net::KWK_KPASS, &pass));
  const auto parsed = protocol::parse_password_change(pass.payload);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->old_password, "secret");
  EXPECT_EQ(parsed->new_password, "abcdef1!");
  ASSERT_TRUE(spin_until([&] { return results.count() == 1; }));
  EXPECT_EQ(results.at(0).at(0).toInt(), -1);  // a password change always ends the login
  EXPECT_TRUE(daemon.wait_for(net::KWK_KLOGOUT));
  EXPECT_EQ(connection_->state(), kStateNotConnected);
}

TEST_F(LoginDialogTest, ExpiredPasswordIsChosenAnewAndTheRefusalShown) {
  test::DaemonConfig config;
  config.extra_reply_flags = 0x20;  // the daemon demands a new password, no rule level
  config.refuse_password_text = "history";
  test::FakeDaemon daemon(config);
  open(daemon.port(), false, "127.0.0.1");
  QSignalSpy results(connection_, &ServerConnection::login_finished);
  type_login("anna", "secret");
  QTest::mouseClick(child<QPushButton>("ok"), Qt::LeftButton);
  ChangePasswordDialog* choose = nullptr;
  ASSERT_TRUE(spin_until([&] {
    choose = window_->findChild<ChangePasswordDialog*>();
    return choose != nullptr;
  }));
  EXPECT_EQ(choose->old_field(), nullptr);  // only asked for a voluntary change
  // Seventeen characters would be cut by the message: refused even without a rule level.
  QTest::keyClicks(choose->new_field(), QString(17, 'n'));
  QTest::keyClicks(choose->repeated_field(), QString(17, 'n'));
  choose->accept();
  EXPECT_TRUE(choose->isVisible());
  QTest::keyClicks(choose->new_field(), "new");
  QTest::keyClicks(choose->repeated_field(), "new");
  choose->accept();
  test::ReceivedMessage pass;
  ASSERT_TRUE(daemon.wait_for(net::KWK_KPASS, &pass));
  const auto parsed = protocol::parse_password_change(pass.payload);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->old_password, "secret");  // the password of this login
  EXPECT_EQ(parsed->new_password, "new");
  ASSERT_TRUE(spin_until([&] { return results.count() == 1; }));
  EXPECT_EQ(results.at(0).at(0).toInt(), -1);
  EXPECT_TRUE(daemon.wait_for(net::KWK_KLOGOUT));
}

#ifdef HOSTSIM_BINARY
TEST_F(LoginDialogTest, LogsInToAHostFoundByTheHostSearch) {
  QTemporaryDir home;
  QProcess daemon;
  daemon.start(QStringLiteral(HOSTSIM_BINARY),
               {"--port", "0", "--user", "anna:geheim", "--log", home.path() + "/frames.log"});
  ASSERT_TRUE(daemon.waitForStarted(10000));
  int port = -1;
  for (int waited = 0; waited < 10000 && port < 0; waited += 20) {
    if (daemon.canReadLine()) {
      const QByteArray line = daemon.readLine().trimmed();
      if (line.startsWith("listening on port ")) port = line.mid(18).toInt();
    }
    daemon.waitForReadyRead(20);
  }
  ASSERT_GT(port, 0);
  // The daemon searches on its port P and links on P + 1.
  open(port + 1, true, "");
  auto* list = child<QListWidget>("hostList");
  ASSERT_TRUE(spin_until([&] { return list->count() > 0 && !dialog_->search_running(); }));
  ASSERT_FALSE(list->item(0)->text().startsWith('[')) << list->item(0)->text().toStdString();
  const QRect rect = list->visualItemRect(list->item(0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(child<QLineEdit>("host")->text(), list->item(0)->text().section(' ', 0, 0));
  type_login("anna", "geheim");
  QTest::keyClick(child<QLineEdit>("password"), Qt::Key_Return);
  EXPECT_TRUE(spin_until([&] { return connection_->state() == kStateConnected; }, 15000));
  delete window_;
  window_ = nullptr;
  daemon.kill();
  daemon.waitForFinished(5000);
}
#endif

}  // namespace
}  // namespace kovw::shell
