#include "shell/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "foundation/show_message.h"
#include "shell/file_type_registration.h"
#include "shell/settings_edit_rules.h"
#include "shell/settings_store.h"
#include "shell/ui_text.h"

namespace kovw::shell {

namespace {

// Register anew, whether registered or not.
constexpr int kRegisterAlways = 2;

QString without_marks(QString text) {
  return text.remove(QLatin1Char('&'));
}

std::vector<std::pair<int, QString>> language_choices() {
  return {{0, ui_text("Standard des Benutzers", "User default")},
          {1, ui_text("Deutsch", "German")},
          {2, ui_text("Norwegisch", "Norwegian")},
          {3, ui_text("Französisch", "French")},
          {4, ui_text("Englisch", "English")},
          {5, ui_text("Spanisch", "Spanish")},
          {6, ui_text("Polnisch", "Polish")},
          {9, ui_text("Italienisch", "Italian")}};
}

std::vector<std::pair<int, QString>> charset_choices() {
  // The index of "Charset" and the character set it selects.
  static const char* const kNames[][2] = {
      {"Standard", "Default"},
      {"ANSI", "ANSI"},
      {"Osteuropäisch", "East European"},
      {"Kyrillisch", "Cyrillic"},
      {"Baltisch", "Baltic"},
      {"Griechisch", "Greek"},
      {"Türkisch", "Turkish"},
      {"Chinesisch (traditionell)", "Traditional Chinese"},
      {"Chinesisch (vereinfacht)", "Simplified Chinese"},
      {"Japanisch", "Japanese"},
      {"Koreanisch", "Korean"},
      {"Hebräisch", "Hebrew"},
      {"Arabisch", "Arabic"},
      {"Thailändisch", "Thai"},
      {"Vietnamesisch", "Vietnamese"},
      {"Symbol", "Symbol"},
      {"OEM", "OEM"},
  };
  std::vector<std::pair<int, QString>> choices;
  for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i)
    choices.emplace_back(i,
                         QStringLiteral("%1 %2").arg(i).arg(ui_text(kNames[i][0], kNames[i][1])));
  return choices;
}

std::vector<std::pair<int, QString>> slow_connect_choices() {
  std::vector<std::pair<int, QString>> choices;
  for (int level = 0; level <= 3; ++level)
    choices.emplace_back(level, message_qtext(40500 + level));
  return choices;
}

}  // namespace

SettingsDialog::SettingsDialog(SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {
  setWindowTitle(ui_text("Einstellungen", "Settings"));
  setAccessibleName(windowTitle());
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setAccessibleName(ui_text("Bereiche", "Sections"));
  // Every tab's title stays in sight: the dialog grows to the width of the tab bar.
  tabs_->setUsesScrollButtons(false);
  layout->addWidget(tabs_);

  QFormLayout* login = add_tab(ui_text("&Anmeldung und Host", "&Login and host"));
  add_text(login, "Host", ui_text("&Host:", "&Host:"), &SettingsRecord::host, 63);
  add_text(login, "User", ui_text("&Benutzer:", "&User:"), &SettingsRecord::user, 63);
  add_text(login, "Domain", ui_text("&Domäne:", "&Domain:"), &SettingsRecord::domain, 63);
  add_check(login, "Save Passwd/0", ui_text("Passwort &speichern", "&Save password"),
            &SettingsRecord::save_passwd, 0x1);
  add_check(login, "Auto Login", ui_text("Automatisch &anmelden", "&Automatic login"),
            &SettingsRecord::auto_login);
  add_check(login, "Start Login", ui_text("Anmeldung beim Sta&rt", "Login at s&tart"),
            &SettingsRecord::start_login);
  add_check(login, "Auto End", ui_text("Nach Abmelden be&enden", "&End after logout"),
            &SettingsRecord::auto_end);
  add_check(login, "Disable Ask for Hosts", ui_text("&Keine Hostabfrage", "&No host search"),
            &SettingsRecord::disable_ask_for_hosts);
  add_check(login, "No Password Change", ui_text("Keine Passwort&änderung", "No &password change"),
            &SettingsRecord::no_password_change);
  add_choice(login, "Slow Connect", ui_text("&Langsame Verbindung:", "Slo&w connection:"),
             &SettingsRecord::slow_connect, slow_connect_choices());

  QFormLayout* ports = add_tab(ui_text("&Ports", "&Ports"));
  kovd_port_ = add_number(ports, "KOVD Port", ui_text("KOV&D-Port:", "KOV&D port:"),
                          &SettingsRecord::kovd_port, 1, 65535 - kAutomaticPortOffset);
  automatic_port_ = add_check(
      ports, "Automatic KOVW Port",
      ui_text("KOVW-Port &automatisch (KOVD-Port + 3)", "&Automatic KOVW port (KOVD port + 3)"),
      &SettingsRecord::automatic_kovw_port);
  kovw_port_ = add_number(ports, "KOVW Port", ui_text("KOV&W-Port:", "KOV&W port:"),
                          &SettingsRecord::kovw_port, 1, 65535);
  add_number(ports, "KOVW Videoport", ui_text("&Video-Port:", "&Video port:"),
             &SettingsRecord::kovw_videoport, 1, 65535);
  connect(kovd_port_, &QSpinBox::valueChanged, this, &SettingsDialog::follow_daemon_port);
  connect(automatic_port_, &QCheckBox::toggled, this, &SettingsDialog::follow_daemon_port);

  QFormLayout* display = add_tab(ui_text("An&zeige und Schriften", "&Display and fonts"));
  add_font(display, "Font Name", ui_text("&Bildschirmschrift:", "Screen &font:"),
           &SettingsRecord::font_name);
  add_points(display, "Font Size", ui_text("&Größe (Punkt):", "&Size (points):"),
             &SettingsRecord::font_size);
  auto* factor = new QSpinBox(this);
  factor->setObjectName(QStringLiteral("Font Faktor"));
  factor->setRange(1, 255);
  factor->setSuffix(QStringLiteral(" %"));
  add_row(display, ui_text("Schrift&faktor:", "Font fact&or:"), factor);
  loaders_.push_back([factor](const SettingsRecord& r) {
    factor->setValue(r.font_factor == 0 ? 100 : r.font_factor);
  });
  storers_.push_back(
      [factor](SettingsRecord& r) { r.font_factor = static_cast<std::uint8_t>(factor->value()); });
  add_font(display, "Prop Font", ui_text("&Proportionalschrift:", "&Proportional font:"),
           &SettingsRecord::prop_font);
  add_points(display, "Prop Size", ui_text("G&röße (Punkt):", "Si&ze (points):"),
             &SettingsRecord::prop_size);
  add_font(display, "Button Font", ui_text("Schrift der &Knöpfe:", "&Button font:"),
           &SettingsRecord::button_font);
  add_points(display, "Button Size", ui_text("Gr&öße (Punkt):", "S&ize (points):"),
             &SettingsRecord::button_size);
  add_number(display, "Cursor Width", ui_text("&Cursorbreite (1-30):", "&Cursor width (1-30):"),
             &SettingsRecord::cursor_width, 0, 999);
  add_number(display, "Desktop Width", ui_text("Desktop-Brei&te:", "Desktop wid&th:"),
             &SettingsRecord::desktop_width, 0, 100000);
  add_number(display, "Desktop Height", ui_text("Desktop-&Höhe:", "Desktop &height:"),
             &SettingsRecord::desktop_height, 0, 100000);
  add_check(display, "Square Tooltips", ui_text("&Eckige Tooltips", "S&quare tooltips"),
            &SettingsRecord::square_tooltips);
  add_check(display, "Double Click", ui_text("Öffnen mit &Doppelklick", "Open by &double click"),
            &SettingsRecord::double_click);
  add_check(display, "No Save Page", ui_text("Keine Seitenh&istorie", "No page histor&y"),
            &SettingsRecord::no_save_page);
  add_check(display, "No Syscol Change",
            ui_text("Systemfarben &nicht ändern", "Do &not change system colours"),
            &SettingsRecord::no_syscol_change);
  add_choice(display, "Language", ui_text("&Sprache:", "&Language:"), &SettingsRecord::language,
             language_choices());
  add_choice(display, "Charset", ui_text("&Zeichensatz:", "Character s&et:"),
             &SettingsRecord::charset, charset_choices());

  QFormLayout* keyboard = add_tab(ui_text("&Tastatur", "&Keyboard"));
  add_number(keyboard, "Keyboard", ui_text("&Tastaturbelegung:", "&Keyboard layout:"),
             &SettingsRecord::keyboard, 0, 99);
  add_check(keyboard, "Virtual Keyboard/0", ui_text("&Bildschirmtastatur", "&On-screen keyboard"),
            &SettingsRecord::virtual_keyboard, 0x1);
  add_check(keyboard, "Virtual Keyboard/1",
            ui_text("&Zweite Bildschirmtastatur", "&Second on-screen keyboard"),
            &SettingsRecord::virtual_keyboard, 0x2);
  add_number(keyboard, "Smart Edit", ui_text("&Smart-Edit (Bits):", "Smart &edit (bits):"),
             &SettingsRecord::smart_edit, 0, 0xFFFF);
  add_number(keyboard, "TAB Blanks", ui_text("&Leerzeichen je Tabulator:", "&Blanks per tab:"),
             &SettingsRecord::tab_blanks, 0, 16);

  QFormLayout* printing = add_tab(ui_text("&Drucken", "P&rinting"));
  add_check(printing, "Disable Print Service",
            ui_text("Druckdienst &abschalten", "&Disable print service"),
            &SettingsRecord::disable_print_service);
  add_check(printing, "Auto Print Port", ui_text("Druckport a&utomatisch", "&Automatic print port"),
            &SettingsRecord::auto_print_port);
  add_number(printing, "KOVW Printer Port", ui_text("&Druckport:", "&Print port:"),
             &SettingsRecord::kovw_printer_port, 1, 65535);
  add_check(printing, "Poster Print", ui_text("&Posterdruck", "P&oster print"),
            &SettingsRecord::poster_print);
  add_check(printing, "Print Bold", ui_text("&Fett drucken", "Print &bold"),
            &SettingsRecord::print_bold);
  add_text(printing, "PDF Folder", ui_text("PDF-&Ordner:", "PDF &folder:"),
           &SettingsRecord::pdf_folder, 259);

  QFormLayout* transfer = add_tab(ui_text("Übertragung und &Cache", "Transfer and &cache"));
  add_check(transfer, "Secure Connection enabled",
            ui_text("&Komprimierte Verbindung", "&Compressed connection"),
            &SettingsRecord::secure_connection);
  add_check(transfer, "Crypted Connection enabled",
            ui_text("&Verschlüsselte Verbindung", "&Encrypted connection"),
            &SettingsRecord::crypted_connection);
  add_number(transfer, "Ping Timer", ui_text("&Ping-Intervall (s):", "&Ping interval (s):"),
             &SettingsRecord::ping_timer, 0, 86400);
  add_text(transfer, "Install Path",
           ui_text("&Lokales Datenverzeichnis:", "&Local data directory:"),
           &SettingsRecord::install_path, 259);
  add_text(transfer, "Record Directory",
           ui_text("Sitzungen &aufzeichnen in:", "&Record sessions to:"),
           &SettingsRecord::record_directory, 259);

  QFormLayout* advanced = add_tab(ui_text("&Erweitert", "Ad&vanced"));
  auto* level = new QSpinBox(this);
  level->setObjectName(QStringLiteral("Error Level"));
  level->setRange(0, 15);
  add_row(advanced, ui_text("&Fehlerstufe:", "Error &level:"), level);
  loaders_.push_back([level](const SettingsRecord& r) { level->setValue(r.error_level & 0xF); });
  storers_.push_back([level](SettingsRecord& r) {
    r.error_level = (r.error_level & ~0xF) | (level->value() & 0xF);
  });
  add_check(advanced, "Error Level/4", ui_text("&Keine Signaltöne", "No &beeps"),
            &SettingsRecord::error_level, SettingsRecord::kErrorLevelNoBeeps);
  auto* window_management =
      new QCheckBox(ui_text("Programme dürfen Fenster in den &Vordergrund bringen",
                            "Programs may bring their windows to the &foreground"),
                    this);
  window_management->setObjectName(QStringLiteral("Foreground Lock"));
  window_management->setEnabled(false);
  window_management->setToolTip(
      ui_text("Diese Einstellung gibt es auf diesem System nicht: die Fensterverwaltung des "
              "Desktops entscheidet, welches Fenster in den Vordergrund kommt.",
              "This setting does not exist on this system: the desktop's window manager "
              "decides which window comes to the foreground."));
  window_management->setAccessibleName(without_marks(window_management->text()));
  window_management->setAccessibleDescription(window_management->toolTip());
  advanced->addRow(window_management);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  for (const auto& [which, text] :
       {std::pair{QDialogButtonBox::Ok, ui_text("OK", "OK")},
        std::pair{QDialogButtonBox::Cancel, ui_text("Abbrechen", "Cancel")}}) {
    buttons->button(which)->setText(text);
    buttons->button(which)->setAccessibleName(text);
  }
  connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);
  layout->addWidget(buttons);

  load_from(store_.record());
}

QFormLayout* SettingsDialog::add_tab(const QString& title) {
  auto* page = new QWidget(tabs_);
  page->setAccessibleName(without_marks(title));
  auto* form = new QFormLayout(page);
  form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
  tabs_->addTab(page, title);
  return form;
}

void SettingsDialog::add_row(QFormLayout* form, const QString& text, QWidget* field) {
  auto* label = new QLabel(text, field->parentWidget());
  label->setBuddy(field);
  field->setAccessibleName(without_marks(text).remove(QLatin1Char(':')));
  form->addRow(label, field);
}

QCheckBox* SettingsDialog::add_check(QFormLayout* form, const char* name, const QString& text,
                                     std::int32_t SettingsRecord::*field, std::int32_t bit) {
  auto* box = new QCheckBox(text, this);
  box->setObjectName(QString::fromLatin1(name));
  box->setAccessibleName(without_marks(text));
  form->addRow(box);
  if (bit == 0) {
    loaders_.push_back([box, field](const SettingsRecord& r) { box->setChecked(r.*field != 0); });
    storers_.push_back([box, field](SettingsRecord& r) { r.*field = box->isChecked() ? 1 : 0; });
  } else {
    loaders_.push_back(
        [box, field, bit](const SettingsRecord& r) { box->setChecked((r.*field & bit) != 0); });
    storers_.push_back([box, field, bit](SettingsRecord& r) {
      r.*field = box->isChecked() ? (r.*field | bit) : (r.*field & ~bit);
    });
  }
  return box;
}

QSpinBox* SettingsDialog::add_number(QFormLayout* form, const char* name, const QString& text,
                                     std::int32_t SettingsRecord::*field, int minimum,
                                     int maximum) {
  auto* spin = new QSpinBox(this);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(minimum, maximum);
  add_row(form, text, spin);
  loaders_.push_back([spin, field](const SettingsRecord& r) { spin->setValue(r.*field); });
  storers_.push_back([spin, field](SettingsRecord& r) { r.*field = spin->value(); });
  return spin;
}

QDoubleSpinBox* SettingsDialog::add_points(QFormLayout* form, const char* name, const QString& text,
                                           std::int32_t SettingsRecord::*field) {
  auto* spin = new QDoubleSpinBox(this);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setDecimals(1);
  spin->setRange(0.0, 200.0);
  spin->setSingleStep(0.5);
  spin->setSpecialValueText(ui_text("Standard", "Default"));
  add_row(form, text, spin);
  loaders_.push_back(
      [spin, field](const SettingsRecord& r) { spin->setValue(tenths_to_points(r.*field)); });
  storers_.push_back(
      [spin, field](SettingsRecord& r) { r.*field = points_to_tenths(spin->value()); });
  return spin;
}

QComboBox* SettingsDialog::add_font(QFormLayout* form, const char* name, const QString& text,
                                    FixedString<256> SettingsRecord::*field) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(QString::fromLatin1(name));
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->addItem(QString());  // empty: the default font
  combo->addItems(QFontDatabase::families());
  combo->lineEdit()->setMaxLength(255);
  add_row(form, text, combo);
  loaders_.push_back([combo, field](const SettingsRecord& r) {
    combo->setEditText(QString::fromLocal8Bit((r.*field).c_str()));
  });
  storers_.push_back([combo, field](SettingsRecord& r) {
    QByteArray bytes = combo->currentText().trimmed().toLocal8Bit();
    if (bytes.size() > 255) bytes.truncate(255);
    (r.*field).assign(bytes.toStdString());
  });
  return combo;
}

QComboBox* SettingsDialog::add_choice(QFormLayout* form, const char* name, const QString& text,
                                      std::int32_t SettingsRecord::*field,
                                      const std::vector<std::pair<int, QString>>& choices) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(QString::fromLatin1(name));
  for (const auto& [value, label] : choices) combo->addItem(label, value);
  add_row(form, text, combo);
  loaders_.push_back([combo, field](const SettingsRecord& r) {
    int index = combo->findData(r.*field);
    if (index < 0) {
      // A stored value the list does not name stays as it is.
      combo->addItem(QString::number(r.*field), r.*field);
      index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
  });
  storers_.push_back(
      [combo, field](SettingsRecord& r) { r.*field = combo->currentData().toInt(); });
  return combo;
}

template <typename Field>
QLineEdit* SettingsDialog::add_text(QFormLayout* form, const char* name, const QString& text,
                                    Field SettingsRecord::*field, int max_length) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setMaxLength(max_length);
  add_row(form, text, edit);
  loaders_.push_back([edit, field](const SettingsRecord& r) {
    edit->setText(QString::fromLocal8Bit((r.*field).c_str()));
  });
  storers_.push_back([edit, field, max_length](SettingsRecord& r) {
    // The stored form is 8-bit text; a longer conversion is cut to the field.
    QByteArray bytes = edit->text().toLocal8Bit();
    if (bytes.size() > max_length) bytes.truncate(max_length);
    (r.*field).assign(bytes.toStdString());
  });
  return edit;
}

void SettingsDialog::follow_daemon_port() {
  const bool automatic = automatic_port_->isChecked();
  kovw_port_->setEnabled(!automatic);
  if (automatic) kovw_port_->setValue(automatic_kovw_port(kovd_port_->value()));
}

void SettingsDialog::load_from(const SettingsRecord& record) {
  for (const auto& load : loaders_) load(record);
  follow_daemon_port();
}

void SettingsDialog::store_into(SettingsRecord& record) const {
  for (const auto& store : storers_) store(record);
}

void SettingsDialog::accept() {
  SettingsRecord& record = store_.record();
  const SettingsRecord before = record;
  store_into(record);
  apply_settings_edit_rules(record);
  compute_derived_values(record, false);
  if (restart_needed(before, record))
    foundation::show_message(this, 0, 0, "Setup", "%s", foundation::message_text(40270));
  store_.save_settings(true);
  store_.save_login();
  register_file_type(kRegisterAlways);
  QDialog::accept();
}

void SettingsDialog::reject() {
  store_.load_settings(true);
  QDialog::reject();
}

SettingsDialog* show_settings_dialog(QWidget* parent, SettingsStore& store) {
  auto* dialog = new SettingsDialog(store, parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
  return dialog;
}

}  // namespace kovw::shell
