// One page step of a 10,000-line list: in a host dialog the user's Page Down becomes the reply
// to the host, the host's next page (kind 32) is taken in and the shown window refilled; beside
// it a bare QListWidget that holds all 10,000 lines and scrolls one page.

#include <benchmark/benchmark.h>

#include <QListWidget>
#include <QScrollBar>

#include "bench_application.h"
#include "dialogs/host_dialog.h"
#include "dialogs/view/host_dialog_window.h"
#include "net/link_names.h"
#include "protocol/program/dialog_messages.h"

namespace {

constexpr int kTotal = 10000;
constexpr int kPage = 12;

kovw::protocol::DialogMessage page(int kind, int first) {
  kovw::protocol::DialogMessage dialog;
  dialog.kind = kind;
  dialog.flags = 0x0001;
  dialog.visible_lines = kPage;
  dialog.total_lines = kTotal;
  dialog.first_line = first;
  dialog.title = "Articles";
  for (int i = first; i < first + kPage && i < kTotal; ++i)
    dialog.lines.push_back("Article " + std::to_string(10000 + i));
  if (kind < 32) dialog.buttons = {{"OK", "", 0, 1}, {"Cancel", "", 0, 2}};
  return dialog;
}

std::vector<std::uint8_t> payload(const kovw::protocol::DialogMessage& message) {
  return kovw::protocol::build_dialog_definition(kovw::net::KWD_WIN, kovw::net::KWK_WDIALOG,
                                                 message)
      .payload;
}

void BM_HostDialogPageStep(benchmark::State& state) {
  kovw::bench::bench_application();
  using namespace kovw::dialogs;
  DialogState dialogs;
  dialogs.define(payload(page(2, 0)));
  HostDialogWindow window(dialogs.definition(), nullptr, nullptr, nullptr);
  window.show();
  int first = 0;
  for (auto _ : state) {
    DialogAction down{DialogAction::Kind::PageDown, 0, 1, u"", kPage};
    const DialogStep reply = dialogs.act(down);
    benchmark::DoNotOptimize(reply.payload.data());
    first = dialogs.definition().header.first_line;
    if (first + kPage >= kTotal) {  // round again from the top
      dialogs.define(payload(page(33, 0)));
      first = 0;
    }
    dialogs.define(payload(page(32, first)));
    window.refill(dialogs.definition());
    dialogs.define(payload(page(33, first)));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HostDialogPageStep);

void BM_BareListWidgetPageStep(benchmark::State& state) {
  kovw::bench::bench_application();
  QListWidget list;
  QStringList lines;
  for (int i = 0; i < kTotal; ++i) lines << QStringLiteral("Article %1").arg(10000 + i);
  list.addItems(lines);
  list.resize(300, 12 * list.fontMetrics().height());
  list.show();
  int row = 0;
  for (auto _ : state) {
    row = (row + kPage) % kTotal;
    list.setCurrentRow(row);
    list.scrollToItem(list.item(row), QAbstractItemView::PositionAtTop);
    benchmark::DoNotOptimize(list.verticalScrollBar()->value());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareListWidgetPageStep);

}  // namespace
