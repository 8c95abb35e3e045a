#include "shell/login_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QTimerEvent>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>
#include <memory>
#include <thread>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "platform/gui_call.h"
#include "shell/company_symbol.h"
#include "shell/connection_state.h"
#include "shell/login_data.h"
#include "shell/main_commands.h"
#include "shell/password_rules.h"
#include "shell/server_connection.h"
#include "shell/settings_store.h"
#include "shell/startup.h"

namespace kovw::shell {
namespace {

constexpr int kFieldMax = 64;
// The place of the company symbol, in device-independent pixels.
constexpr int kSymbolWidth = 160;
constexpr int kSymbolHeight = 64;

QString from_host(std::string_view text) {
  return QString::fromStdU16String(foundation::host_to_wide(text));
}

std::string to_host(const QString& text) {
  return foundation::wide_to_host(text.toStdU16String());
}

QString text_of(const char* german, const char* english) {
  return QString::fromUtf8(foundation::german() ? german : english);
}

QString message(int number) {
  return QString::fromUtf8(foundation::message_text(number));
}

bool load_balancing() {
  return shell_state().options.overrides.font_mask & kFontOverrideLeastLoaded;
}

bool no_password_change(const SettingsRecord& settings) {
  return settings.no_password_change ||
         (shell_state().options.overrides.mask & kOverrideNoPasswordChange);
}

bool host_given() {
  return shell_state().options.overrides.mask & kOverrideHost;
}

}  // namespace

LoginDialog::LoginDialog(ServerConnection& connection, SettingsRecord& settings,
                         bool with_host_list, bool tray_present, QWidget* parent)
    : QDialog(parent),
      connection_(connection),
      settings_(settings),
      with_host_list_(with_host_list),
      tray_present_(tray_present) {
  setObjectName(QStringLiteral("LoginDialog"));
  setWindowTitle(QStringLiteral("KOV Workstation"));
  setModal(false);
  build();
  show_company_symbol();
  load_fields();
  connect(&connection_, &ServerConnection::state_changed, this, [this] { refresh_status(); });
  connect(&connection_, &ServerConnection::login_finished, this, &LoginDialog::on_login_finished);
  status_timer_.start(1000, this);
  refresh_status();
}

LoginDialog::~LoginDialog() = default;

void LoginDialog::build() {
  auto* layout = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  title_ = new QLabel(QStringLiteral("KOV Workstation"), this);
  QFont title_font(QStringLiteral("Arial"));
  title_font.setPixelSize(40);
  title_font.setWeight(QFont::Bold);
  title_->setFont(title_font);
  title_->setAccessibleName(text_of("Titel", "Title"));
  symbol_ = new QLabel(this);
  symbol_->setObjectName(QStringLiteral("companySymbol"));
  symbol_->setAccessibleName(text_of("Firmensymbol", "Company symbol"));
  symbol_->setAlignment(Qt::AlignCenter);
  symbol_->hide();
  top->addWidget(title_, 1);
  top->addWidget(symbol_);
  layout->addLayout(top);

  auto* form = new QFormLayout;
  auto line = [this, form](QLineEdit*& edit, const char* name, const char* german,
                           const char* english) {
    edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(kFieldMax);
    auto* label = new QLabel(text_of(german, english), this);
    label->setBuddy(edit);
    edit->setAccessibleName(label->text().remove(QLatin1Char('&')));
    form->addRow(label, edit);
  };
  line(host_, "host", "&Host:", "&Host:");
  line(user_, "user", "&Benutzer:", "&User:");
  line(password_, "password", "&Kennwort:", "&Password:");
  line(domain_, "domain", "&Domäne:", "&Domain:");
  // The field takes one character more than a password may have, so that a longer one is
  // refused with a message instead of being cut.
  password_->setMaxLength(kLoginPasswordMax + 1);
  password_->setEchoMode(QLineEdit::Password);
  password_->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));

  slow_ = new QComboBox(this);
  slow_->setObjectName(QStringLiteral("slowConnection"));
  for (int number = 40500; number <= 40503; ++number) slow_->addItem(message(number));
  auto* slow_label = new QLabel(text_of("&Langsame Verbindung:", "S&low connection:"), this);
  slow_label->setBuddy(slow_);
  slow_->setAccessibleName(slow_label->text().remove(QLatin1Char('&')));
  form->addRow(slow_label, slow_);
  layout->addLayout(form);

  search_ = new QPushButton(text_of("Hosts &suchen", "&Search hosts"), this);
  search_->setObjectName(QStringLiteral("search"));
  search_->setAccessibleName(search_->text().remove(QLatin1Char('&')));
  search_->setAutoDefault(false);
  hosts_ = new QListWidget(this);
  hosts_->setObjectName(QStringLiteral("hostList"));
  hosts_->setAccessibleName(text_of("Gefundene Hosts", "Hosts found"));
  layout->addWidget(search_);
  layout->addWidget(hosts_);
  if (!with_host_list_) {
    search_->hide();
    hosts_->hide();
  }
  connect(search_, &QPushButton::clicked, this, [this] { search_hosts_for(2); });
  connect(hosts_, &QListWidget::itemClicked, this, &LoginDialog::on_host_clicked);
  connect(hosts_, &QListWidget::itemDoubleClicked, this, &LoginDialog::on_host_double_clicked);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  cancel_ = buttons->addButton(text_of("Abbrechen", "Cancel"), QDialogButtonBox::RejectRole);
  change_password_ = buttons->addButton(text_of("Kennwort ä&ndern", "Change pass&word"),
                                        QDialogButtonBox::ActionRole);
  forgotten_password_ = buttons->addButton(text_of("Kennwort &vergessen", "&Forgotten password"),
                                           QDialogButtonBox::ActionRole);
  for (QPushButton* b : {ok_, cancel_, change_password_, forgotten_password_}) {
    b->setAccessibleName(b->text().remove(QLatin1Char('&')));
  }
  ok_->setObjectName(QStringLiteral("ok"));
  cancel_->setObjectName(QStringLiteral("cancel"));
  change_password_->setObjectName(QStringLiteral("changePassword"));
  forgotten_password_->setObjectName(QStringLiteral("forgottenPassword"));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, [this] { submit(kLoginNormal); });
  connect(cancel_, &QPushButton::clicked, this, &LoginDialog::reject);
  connect(change_password_, &QPushButton::clicked, this, [this] { submit(kLoginChangePassword); });
  connect(forgotten_password_, &QPushButton::clicked, this,
          [this] { submit(kLoginForgottenPassword); });
  layout->addWidget(buttons);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));
  status_->setAccessibleName(text_of("Status", "Status"));
  status_->setFrameShape(QFrame::StyledPanel);
  layout->addWidget(status_);

  setTabOrder(host_, user_);
  setTabOrder(user_, password_);
  setTabOrder(password_, domain_);
  setTabOrder(domain_, slow_);
  setTabOrder(slow_, search_);
  setTabOrder(search_, hosts_);
}

void LoginDialog::set_menu_bar(QWidget* bar) {
  layout()->setMenuBar(bar);
}

void LoginDialog::show_company_symbol() {
  const CompanySymbol symbol =
      load_company_symbol(QString::fromStdString(shell_state().directories.data));
  if (symbol.path.isEmpty()) return;
  if (symbol.image.isNull()) {
    const std::string path = symbol.path.toStdString();
    const std::string reason = symbol.error_text.toStdString();
    foundation::show_message_number(this, 0, 0, "Login", 40516, symbol.error, path.c_str(),
                                    "Bitmap", reason.c_str());
    return;
  }
  // Scaled into its place keeping its aspect, sharp on high-resolution screens.
  const qreal ratio = devicePixelRatioF();
  const QSize box = QSize(kSymbolWidth, kSymbolHeight) * ratio;
  QPixmap pixmap =
      QPixmap::fromImage(symbol.image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  pixmap.setDevicePixelRatio(ratio);
  symbol_->setPixmap(pixmap);
  symbol_->setFixedSize(kSymbolWidth, kSymbolHeight);
  symbol_->show();
}

void LoginDialog::load_fields() {
  host_->setText(from_host(settings_.host.view()));
  user_->setText(from_host(settings_.user.view()));
  std::string domain(settings_.domain.view());
  if (!domain.empty() && domain[0] == ' ') domain.clear();  // a leading blank means none
  domain_->setText(from_host(domain));
  password_->clear();
  if (settings_.save_passwd & (kSavePassword | kPasswordPresent | kPasswordAutoLogin)) {
    std::string clear = decipher_password(settings_.password);
    password_->setText(from_host(clear));
    std::fill(clear.begin(), clear.end(), '\0');
  }
  slow_->setCurrentIndex(std::clamp(settings_.slow_connect, 0, 3));
}

LoginFields LoginDialog::fields() const {
  LoginFields f;
  f.host = to_host(host_->text().left(kFieldMax));
  f.user = to_host(user_->text().left(kFieldMax));
  f.domain = to_host(domain_->text().left(kFieldMax));
  f.password = to_host(password_->text());
  f.slow_connect = slow_->currentIndex();
  return f;
}

void LoginDialog::submit(int kind) {
  LoginFields f = fields();
  if (check_login_password(to_latin9(password_->text().toStdU16String())) != 0) {
    foundation::show_message_number(this, 0, 0, "Login", 10099);
    password_->clear();
    password_->setFocus();
    return;
  }
  PasswordField enciphered{};
  if (!encipher_password(f.password, enciphered)) {
    foundation::show_message_number(this, 0, 0, "Login", 10099);
    password_->clear();
    return;
  }
  settings_.host.assign(f.host);
  settings_.user.assign(f.user);
  settings_.domain.assign(f.domain);
  settings_.password = enciphered;
  if (f.password.empty()) {
    settings_.save_passwd &= ~kPasswordPresent;
  } else {
    settings_.save_passwd |= kPasswordPresent;
  }
  settings_.slow_connect = f.slow_connect;
  settings_.effective_slow_connect = f.slow_connect;
  dr_save_login();
  attempt_ = f;
  if (connection_.do_login(kind) < 0) attempt_.reset();
  if (kind == kLoginChangePassword) password_->clear();
  refresh_status();
}

void LoginDialog::on_login_finished(int result) {
  if (!attempt_) return;
  if (result < 0) {
    failed_attempt_ = attempt_;
    // After a failed login Enter means Cancel: it logs in again only when a field changed.
    cancel_->setDefault(true);
  } else {
    failed_attempt_.reset();
    ok_->setDefault(true);
  }
  attempt_.reset();
  refresh_status();
}

void LoginDialog::reject() {
  if (failed_attempt_ && fields() != *failed_attempt_) {
    submit(kLoginNormal);
    return;
  }
  if (!failed_attempt_) dr_load_login(true);
  emit close_requested();
}

void LoginDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_once_) return;
  shown_once_ = true;
  if (with_host_list_) search_hosts_for(1);
  if (password_->isEnabled() && user_->text().isEmpty()) {
    (host_->isEnabled() ? host_ : user_)->setFocus();
  } else if (password_->isEnabled()) {
    password_->setFocus();
  }
}

void LoginDialog::search_hosts_for(int seconds) {
  if (settings_.disable_ask_for_hosts) {
    fill_host_list(HostList{});
    return;
  }
  searching_ = true;
  search_->setEnabled(false);
  hosts_->clear();
  const int generation = ++search_generation_;
  const PortPlan ports = shell_state().ports;
  QPointer<LoginDialog> self(this);
  // The search waits for answers: it runs off the GUI thread and posts its list.
  std::thread([self, generation, seconds, ports] {
    auto list = std::make_shared<HostList>();
    const int result = search_hosts(seconds, ports.search_target, ports.search_answer, *list);
    platform::post_to_gui_thread([self, generation, list, result] {
      if (!self || self->search_generation_ != generation) return;
      if (result < 0) foundation::log_printf("Hostabfrage fehlgeschlagen. Fehler %d", result);
      self->searching_ = false;
      self->fill_host_list(*list);
      self->refresh_status();
    });
  }).detach();
}

void LoginDialog::fill_host_list(const HostList& hosts) {
  hosts_->clear();
  connection_.adopt_hosts(hosts);
  for (const std::string& line :
       host_list_lines(hosts, settings_.disable_ask_for_hosts != 0, load_balancing())) {
    hosts_->addItem(from_host(line));
  }
  if (load_balancing() && !host_given()) {
    if (const HostEntry* best = hosts.least_loaded()) host_->setText(from_host(best->name));
  }
  emit hosts_listed();
}

void LoginDialog::on_host_clicked(QListWidgetItem* item) {
  if (!item || !host_->isEnabled()) return;
  if (auto host = host_of_line(to_host(item->text()))) host_->setText(from_host(*host));
}

void LoginDialog::on_host_double_clicked(QListWidgetItem* item) {
  if (!item || !host_->isEnabled()) return;
  if (auto host = host_of_line(to_host(item->text()))) {
    host_->setText(from_host(*host));
    user_->setFocus();
  }
}

void LoginDialog::refresh_status() {
  const int state = connection_.state();
  const bool connected = state == kStateConnected;
  const bool idle = !connected && state == kStateNotConnected;
  status_->setText(QString::fromUtf8(status_line_text(
      connected, connection_.login_time(), std::time(nullptr), foundation::message_text(state))));
  // While a login runs the fields stay as they were sent.
  const LoginControlState controls =
      login_control_state(!idle, host_given(), no_password_change(settings_));
  host_->setEnabled(controls.host);
  search_->setEnabled(controls.host && !searching_);
  hosts_->setEnabled(controls.host);
  for (QWidget* w : std::initializer_list<QWidget*>{user_, password_, domain_, slow_, ok_}) {
    w->setEnabled(controls.credentials);
  }
  for (QPushButton* b : {change_password_, forgotten_password_}) {
    b->setEnabled(controls.password_buttons);
    b->setVisible(controls.password_buttons_shown);
  }
}

void LoginDialog::timerEvent(QTimerEvent* event) {
  if (event->timerId() == status_timer_.timerId()) {
    refresh_status();
    return;
  }
  QDialog::timerEvent(event);
}

void LoginDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // Minimised while connected, the dialog goes to the tray.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_present_ &&
      connection_.state() == kStateConnected) {
    hide();
    setWindowState(windowState() & ~Qt::WindowMinimized);
  }
}

}  // namespace kovw::shell
