// Typing into an input field: 1,000 keys into a field of 1,000 characters through the field's
// editing model, then the reply bytes the host gets, beside the same keys into a bare
// QLineEdit (key events through the toolkit, then its text as UTF-8).

#include <benchmark/benchmark.h>

#include <QKeyEvent>
#include <QLineEdit>

#include "bench_application.h"
#include "dialogs/field_editor.h"
#include "protocol/program/program_window.h"

namespace {

constexpr int kKeys = 1000;

void BM_FieldEditorKeysToReply(benchmark::State& state) {
  kovw::dialogs::FieldRequest request;
  request.length = kKeys;
  request.stay_when_full = 1;
  request.type_letter = 'X';
  for (auto _ : state) {
    kovw::dialogs::FieldEditor editor(request, u"", 0);
    for (int i = 0; i < kKeys; ++i) editor.type(static_cast<char16_t>(u'a' + i % 26));
    editor.key(2);
    kovw::protocol::FieldReply reply;
    reply.exit_key = 2;
    reply.text = editor.reply_contents(0, nullptr);
    const auto message = kovw::protocol::build_field_reply(reply);
    benchmark::DoNotOptimize(message.payload.data());
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_FieldEditorKeysToReply);

void BM_BareLineEditKeys(benchmark::State& state) {
  kovw::bench::bench_application();
  for (auto _ : state) {
    QLineEdit edit;
    edit.setMaxLength(kKeys);
    for (int i = 0; i < kKeys; ++i) {
      const QChar character(u'a' + i % 26);
      QKeyEvent press(QEvent::KeyPress, Qt::Key_A + i % 26, Qt::NoModifier, QString(character));
      QCoreApplication::sendEvent(&edit, &press);
    }
    const QByteArray text = edit.text().toUtf8();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_BareLineEditKeys);

}  // namespace
