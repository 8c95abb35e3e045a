// A list of 100,000 entries in an icon view: the view made and filled, shown, laid out to the
// last entry, scrolled to the end and painted, in each of the four modes; beside it a bare
// QListView over a QStringListModel of the same strings doing the same.

#include <benchmark/benchmark.h>

#include <QListView>
#include <QScrollBar>
#include <QStringListModel>
#include <QTreeView>

#include "bench_application.h"
#include "dialogs/icon_view_model.h"
#include "dialogs/view/icon_view_widget.h"

namespace {

constexpr int kEntries = 100000;

std::shared_ptr<const kovw::dialogs::ListDefinition> big_list() {
  static const auto list = [] {
    kovw::dialogs::ListDefinition definition;
    definition.column_titles = {u"Name", u"Size", u"Date"};
    definition.widths = {2, 1, 1};
    definition.entries.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
      kovw::dialogs::ListEntry entry;
      entry.number = i;
      entry.icon = static_cast<std::uint8_t>(i % 11);
      entry.texts = {u"Document " + QString::number(100000 + i).toStdU16String(),
                     QString::number(i % 977).toStdU16String() + u" KB", u"2026-12-11"};
      definition.entries.push_back(std::move(entry));
    }
    return std::make_shared<const kovw::dialogs::ListDefinition>(std::move(definition));
  }();
  return list;
}

// Lets a batched layout run to its end: the scroll ranges stop growing.
void finish_layout(QAbstractItemView& view) {
  int stable = 0;
  int last = -1;
  while (stable < 3) {
    QCoreApplication::processEvents();
    const int range = view.verticalScrollBar()->maximum() + view.horizontalScrollBar()->maximum();
    stable = range == last ? stable + 1 : 0;
    last = range;
  }
}

void scroll_and_paint(QAbstractItemView& view) {
  finish_layout(view);
  view.scrollToBottom();
  view.viewport()->repaint();
  view.scrollToTop();
  view.viewport()->repaint();
  benchmark::DoNotOptimize(view.verticalScrollBar()->value());
}

void BM_IconViewOpenAndScroll(benchmark::State& state) {
  kovw::bench::bench_application();
  const auto list = big_list();
  const int mode = static_cast<int>(state.range(0));
  for (auto _ : state) {
    kovw::dialogs::IconViewWidget view({}, nullptr);
    view.resize(900, 600);
    view.set_list(list, true, -1, mode);
    view.show();
    QCoreApplication::processEvents();
    auto* shown = static_cast<QAbstractItemView*>(view.current_list());
    scroll_and_paint(*shown);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_IconViewOpenAndScroll)
    ->ArgName("mode")
    ->Arg(kovw::dialogs::kModeSmallIcons)
    ->Arg(kovw::dialogs::kModeLargeIcons)
    ->Arg(kovw::dialogs::kModeDetails)
    ->Arg(kovw::dialogs::kModeList)
    ->Unit(benchmark::kMillisecond);

void BM_BareListViewOpenAndScroll(benchmark::State& state) {
  kovw::bench::bench_application();
  const auto list = big_list();
  QStringList strings;
  strings.reserve(kEntries);
  for (const auto& entry : list->entries) strings << QString::fromStdU16String(entry.texts[0]);
  for (auto _ : state) {
    QStringListModel model(strings);
    QListView view;
    view.setModel(&model);
    view.resize(900, 600);
    view.show();
    QCoreApplication::processEvents();
    scroll_and_paint(view);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_BareListViewOpenAndScroll)->Unit(benchmark::kMillisecond);

}  // namespace
