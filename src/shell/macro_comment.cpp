#include "shell/macro_comment.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <mutex>

#include "foundation/show_message.h"
#include "platform/gui_call.h"
#include "protocol/macro_file.h"
#include "shell/macro_state.h"

namespace kovw::shell {

namespace {

std::mutex g_mutex;
std::function<std::optional<MacroComment>()> g_responder;

std::optional<MacroComment> ask_in_dialog() {
  QDialog dialog;
  dialog.setObjectName("macro_comment");
  dialog.setWindowTitle(macro_texts::kCaption);
  auto* form = new QFormLayout(&dialog);
  auto* title = new QLineEdit(&dialog);
  title->setMaxLength(static_cast<int>(protocol::kMacroTagSize));
  auto* text = new QLineEdit(&dialog);
  text->setMaxLength(static_cast<int>(protocol::kMacroCommentSize));
  form->addRow("Titel:", title);
  form->addRow("Kommentar:", text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return MacroComment{title->text().toStdString(), text->text().toStdString()};
}

}  // namespace

std::optional<MacroComment> ask_macro_comment() {
  std::function<std::optional<MacroComment>()> responder;
  {
    std::lock_guard lock(g_mutex);
    responder = g_responder;
  }
  if (responder) return responder();
  if (foundation::unattended()) return std::nullopt;
  return platform::gui_call(ask_in_dialog).value_or(std::nullopt);
}

namespace testing {
void set_macro_comment_responder(std::function<std::optional<MacroComment>()> responder) {
  std::lock_guard lock(g_mutex);
  g_responder = std::move(responder);
}
}  // namespace testing

}  // namespace kovw::shell
