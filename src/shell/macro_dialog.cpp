#include "shell/macro_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "foundation/log.h"
#include "foundation/show_message.h"
#include "shell/macro_archive.h"
#include "shell/macro_state.h"

namespace kovw::shell {

void open_macro_dialog(QWidget* parent, bool playback,
                       std::function<void(const MacroChoice&)> chosen) {
  auto* dialog = new QDialog(parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setObjectName("macro_dialog");
  dialog->setWindowTitle(playback ? "Makro abspielen" : "Makro aufzeichnen");
  auto* form = new QFormLayout(dialog);
  auto* name = new QLineEdit(dialog);
  name->setObjectName("macro_name");
  name->setMaxLength(static_cast<int>(kMaxMacroName));
  form->addRow("Makroname:", name);
  QLineEdit* wait = nullptr;
  if (playback) {
    wait = new QLineEdit("1000", dialog);
    wait->setObjectName("macro_wait");
    wait->setToolTip("+n: feste Wartezeit von n ms; n: höchstens n ms");
    form->addRow("Wartezeit (ms):", wait);
  }
  auto* problem = new QLabel(dialog);
  problem->setObjectName("macro_problem");
  form->addRow(problem);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [=] {
    const std::string text = name->text().trimmed().toStdString();
    if (!valid_macro_name(text)) {
      problem->setText("Der Name darf weder leer sein noch / \\ : oder \"..\" enthalten.");
      return;
    }
    std::optional<protocol::MacroWaitRule> rule = protocol::MacroWaitRule{};
    if (wait) rule = protocol::parse_macro_wait_rule(wait->text().trimmed().toStdString());
    if (!rule) {
      problem->setText("Wartezeit: eine Zahl (ms), mit + davor eine feste Wartezeit.");
      return;
    }
    const MacroChoice choice{text, *rule};
    dialog->accept();
    if (chosen) chosen(choice);
  });
  dialog->open();
}

bool start_macro(QWidget* parent, const MacroChoice& choice, bool playback,
                 const std::string& data_directory) {
  std::string error;
  bool ok = macro_prepare(data_directory, choice.name, error);
  if (ok && playback) macro_play(choice.wait);
  if (ok && !playback) ok = macro_record(error);
  if (!ok) {
    foundation::log_printf("Makro %s: %s", choice.name.c_str(), error.c_str());
    foundation::show_message(parent, 0, 0, macro_texts::kCaption, "Makro %s: %s",
                             choice.name.c_str(), error.c_str());
  }
  return ok;
}

void end_macro(QWidget* parent) {
  const MacroState state = macro_state();
  if (state.mode == MacroMode::Recording) {
    show_macro_status(macro_texts::kPacking);
    const std::string zip = (std::filesystem::path(state.root) / (state.name + ".zip")).string();
    std::string error;
    if (pack_macro_directory(state.directory, zip, error)) {
      foundation::log_printf("Makro %s gepackt: %s", state.name.c_str(), zip.c_str());
      foundation::show_message(parent, 0, 0, macro_texts::kCaption, "%s",
                               "Makrodatei wurde erstellt.");
    } else {
      foundation::log_printf("Makro %s: %s", state.name.c_str(), error.c_str());
      foundation::show_message(parent, 0, 0, macro_texts::kCaption, "%s %s\n%s",
                               "Fehler beim Erstellen zip-Datei", zip.c_str(), error.c_str());
    }
  }
  if (state.mode != MacroMode::Off) macro_off();
}

}  // namespace kovw::shell
