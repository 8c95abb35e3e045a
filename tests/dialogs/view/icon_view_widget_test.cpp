#include "dialogs/view/icon_view_widget.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

#include "dialogs/view/list_dialog_window.h"
#include "foundation/message_table.h"
#include "support/test_application.h"

namespace kovw::dialogs {
namespace {

using Kind = IconViewEvent::Kind;

std::shared_ptr<const TreeDefinition> tree_of(std::vector<std::pair<int, std::uint8_t>> levels) {
  TreeDefinition tree;
  std::vector<int> last(16, -1);
  for (std::size_t i = 0; i < levels.size(); ++i) {
    TreeFolder folder;
    folder.value = levels[i].first;
    folder.flags = levels[i].second;
    folder.level = levels[i].second & kFolderLevelMask;
    folder.parent = folder.level > 0 ? last[static_cast<std::size_t>(folder.level - 1)] : -1;
    folder.label = u"folder " + QString::number(folder.value).toStdU16String();
    last[static_cast<std::size_t>(folder.level)] = static_cast<int>(i);
    tree.folders.push_back(folder);
  }
  return std::make_shared<const TreeDefinition>(std::move(tree));
}

std::shared_ptr<const ListDefinition> list_of(int count,
                                              std::vector<std::uint8_t> widths = {1, 1, 2}) {
  ListDefinition list;
  list.list_number = 3;
  list.column_titles = {u"Name", u"Size", u"Kind"};
  list.column_titles.resize(widths.size());
  list.widths = widths;
  for (int i = 0; i < count; ++i) {
    ListEntry entry;
    entry.number = 100 + i;
    entry.value = 1000 + i;
    entry.texts = {u"entry " + QString::number(i).rightJustified(3, '0').toStdU16String(),
                   QString::number(count - i).toStdU16String(), u"k"};
    list.entries.push_back(entry);
  }
  return std::make_shared<const ListDefinition>(std::move(list));
}

class IconViewWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override { test::application(); }
  void make(bool double_click = false) {
    IconViewWidget::Options options;
    options.double_click = double_click;
    view_ = std::make_unique<IconViewWidget>(options, nullptr);
    view_->set_event_function([this](const IconViewEvent& event) { events_.push_back(event); });
    view_->resize(800, 400);
    view_->set_tree(tree_of({{10, 0x40}, {11, 1}, {12, 1 | 0x20}, {13, 2 | 0x80}, {20, 0x20}}), -1);
    view_->set_list(list_of(5), true, -1, kModeSmallIcons);
    view_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view_.get()));
    events_.clear();
  }
  QPoint centre_of_entry(QAbstractItemView* view, int row) {
    return view->visualRect(view_->sorted().index(row, 0)).center();
  }
  std::vector<Kind> kinds() const {
    std::vector<Kind> result;
    for (const auto& event : events_) result.push_back(event.kind);
    return result;
  }
  std::unique_ptr<IconViewWidget> view_;
  std::vector<IconViewEvent> events_;
};

TEST_F(IconViewWidgetTest, TreeFollowsLevelsAndExpandsWhatItShould) {
  make();
  const auto& model = view_->tree_model();
  ASSERT_EQ(model.rowCount(), 2);
  const QModelIndex first = model.index(0, 0);
  EXPECT_EQ(model.rowCount(first), 2);
  EXPECT_EQ(model.rowCount(model.index(1, 0, first)), 1);
  EXPECT_TRUE(view_->tree()->isExpanded(first));  // bit 6
  // Expand all leaves folders that report their selection alone.
  view_->expand_all(true);
  EXPECT_TRUE(view_->tree()->isExpanded(model.index(1, 0, first)));
  view_->expand_all(false);
  EXPECT_FALSE(view_->tree()->isExpanded(first));
  // Selecting a folder by the program sends nothing; the user's selection does.
  view_->select_folder(4);
  EXPECT_TRUE(events_.empty());
  view_->tree()->setCurrentIndex(model.index(0, 0));
  ASSERT_EQ(kinds(), std::vector<Kind>{Kind::FolderSelected});
  EXPECT_EQ(events_[0].folder, 0);
}

TEST_F(IconViewWidgetTest, SingleClickOpensOnceEvenWhenDoubleClicked) {
  make(false);
  QListView* list = view_->list_view();
  // A double click as the window system delivers it: a click, then the second press.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre_of_entry(list, 2));
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre_of_entry(list, 2));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre_of_entry(list, 1));
  std::vector<int> opened;
  for (const auto& event : events_)
    if (event.kind == Kind::Open) opened.push_back(event.entry);
  EXPECT_EQ(opened, (std::vector<int>{2, 1}));
}

TEST_F(IconViewWidgetTest, DoubleClickSettingOpensOnlyByDoubleClickOrEnter) {
  make(true);
  QListView* list = view_->list_view();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre_of_entry(list, 3));
  EXPECT_EQ(kinds(), std::vector<Kind>{Kind::EntrySelected});
  events_.clear();
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre_of_entry(list, 3));
  QTest::keyClick(list, Qt::Key_Return);
  std::vector<int> opened;
  for (const auto& event : events_)
    if (event.kind == Kind::Open) opened.push_back(event.entry);
  EXPECT_EQ(opened, (std::vector<int>{3, 3}));
}

TEST_F(IconViewWidgetTest, FourModesOverOneModelAndSortedDetails) {
  make();
  for (const int mode : {kModeSmallIcons, kModeLargeIcons, kModeList}) {
    view_->set_mode(mode);
    EXPECT_EQ(view_->current_list(), view_->list_view());
  }
  EXPECT_EQ(view_->list_view()->viewMode(), QListView::ListMode);
  EXPECT_EQ(view_->list_view()->flow(), QListView::TopToBottom);
  view_->set_mode(kModeDetails);
  QTreeView* details = view_->details();
  EXPECT_EQ(view_->current_list(), details);
  EXPECT_EQ(details->model(), view_->list_view()->model());
  EXPECT_EQ(details->selectionModel(), view_->list_view()->selectionModel());
  // Header clicks sort by the column, a second one reverses; entries keep their indices.
  QHeaderView* header = details->header();
  const auto click_header = [&](int section) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
  };
  click_header(1);
  const auto first_entry = [&] {
    return view_->sorted().mapToSource(view_->sorted().index(0, 0)).row();
  };
  const int ascending = first_entry();
  click_header(1);
  const int descending = first_entry();
  EXPECT_NE(ascending, descending);
  EXPECT_TRUE((ascending == 0 && descending == 4) || (ascending == 4 && descending == 0));
  QTest::mouseClick(details->viewport(), Qt::LeftButton, {},
                    details->visualRect(view_->sorted().index(0, 0)).center());
  ASSERT_FALSE(events_.empty());
  EXPECT_EQ(events_.back().kind, Kind::Open);
  EXPECT_EQ(events_.back().entry, descending);
}

TEST_F(IconViewWidgetTest, ColumnWidthsComeFromShares) {
  make();
  view_->set_mode(kModeDetails);
  QTreeView* details = view_->details();
  const int client = details->width() - 2 * details->frameWidth();
  const int scroll = details->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, details);
  const std::vector<int> expected =
      column_widths(std::vector<std::uint8_t>{1, 1, 2}, client, scroll);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(details->header()->sectionSize(i), expected[static_cast<std::size_t>(i)]);
}

TEST_F(IconViewWidgetTest, ColumnWidthsFollowTheLayoutOfAViewAddedToAShownWindow) {
  // As in a program's window: the view joins a shown window and gets its list before the
  // window's layout has given it its size.
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  window.resize(900, 500);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* view = new IconViewWidget({}, &window);
  layout->addWidget(view);
  view->set_list(list_of(5), true, -1, kModeDetails);
  QTest::qWait(50);
  QTreeView* details = view->details();
  ASSERT_GT(details->width(), 300);
  const int client = details->width() - 2 * details->frameWidth();
  const int scroll = details->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, details);
  const std::vector<int> expected =
      column_widths(std::vector<std::uint8_t>{1, 1, 2}, client, scroll);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(details->header()->sectionSize(i), expected[static_cast<std::size_t>(i)]);
}

TEST_F(IconViewWidgetTest, DropsReachTheDropFunctionThroughTheModels) {
  make();
  // A drag of entry 1 as the list's model packs it.
  std::unique_ptr<QMimeData> drag(view_->sorted().mimeData({view_->sorted().index(1, 0)}));
  auto& tree = view_->tree_model();
  const QModelIndex takes = tree.item_of(2)->index();    // bit 5
  const QModelIndex refuses = tree.item_of(1)->index();  // no bit 5
  EXPECT_FALSE(tree.flags(refuses) & Qt::ItemIsDropEnabled);
  EXPECT_FALSE(tree.dropMimeData(drag.get(), Qt::MoveAction, -1, -1, refuses));
  tree.dropMimeData(drag.get(), Qt::MoveAction, -1, -1, takes);
  view_->sorted().dropMimeData(drag.get(), Qt::MoveAction, -1, -1, view_->sorted().index(3, 0));
  view_->sorted().dropMimeData(drag.get(), Qt::MoveAction, -1, -1, view_->sorted().index(1, 0));
  ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::DropOnFolder, Kind::DropOnEntry}));
  EXPECT_EQ(events_[0].entry, 1);
  EXPECT_EQ(events_[0].folder, 2);
  EXPECT_EQ(events_[1].target, 3);
  // The drop function itself checks what the models did not.
  events_.clear();
  view_->drop(1, 1, -1);   // folder without bit 5
  view_->drop(9, 2, -1);   // no such entry
  view_->drop(1, -1, 99);  // no such target
  view_->drop(4, 4, -1);
  ASSERT_EQ(kinds(), std::vector<Kind>{Kind::DropOnFolder});
  EXPECT_EQ(events_[0].folder, 4);
}

// The views take the menu colours; small icons are as large as the title bar's icons or the
// font's height, whichever is larger, in every mode but large icons (32 pixels).
TEST_F(IconViewWidgetTest, LookGivesColoursAndIconSizes) {
  make();
  view_->set_look(QColor(10, 20, 30), QColor(200, 210, 220), 20);
  for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(view_->tree()),
                                  static_cast<QAbstractItemView*>(view_->list_view()),
                                  static_cast<QAbstractItemView*>(view_->details())}) {
    EXPECT_EQ(QColor(10, 20, 30), list->palette().color(QPalette::Base));
    EXPECT_EQ(QColor(200, 210, 220), list->palette().color(QPalette::Text));
  }
  QFont small_font = view_->font();
  small_font.setPixelSize(8);
  view_->setFont(small_font);
  EXPECT_EQ(20, view_->small_icon_size());
  EXPECT_EQ(QSize(20, 20), view_->list_view()->iconSize());
  EXPECT_EQ(QSize(20, 20), view_->tree()->iconSize());
  QFont large_font = view_->font();
  large_font.setPixelSize(30);
  view_->setFont(large_font);
  const QFontMetrics metrics(large_font);
  const int height = metrics.ascent() + metrics.descent();
  ASSERT_GT(height, 20);
  EXPECT_EQ(height, view_->small_icon_size());
  EXPECT_EQ(QSize(height, height), view_->tree()->iconSize());
  view_->set_mode(kModeLargeIcons);
  EXPECT_EQ(QSize(32, 32), view_->list_view()->iconSize());
  view_->set_mode(kModeList);
  EXPECT_EQ(QSize(height, height), view_->list_view()->iconSize());
}

TEST_F(IconViewWidgetTest, ButtonBarHasButtonsAndSingleGaps) {
  IconViewWidget::Options options;
  options.button_bar = true;
  IconViewWidget bar(options, nullptr);
  std::vector<IconViewEvent> events;
  bar.set_event_function([&](const IconViewEvent& event) { events.push_back(event); });
  ListDefinition list;
  for (const auto& second : {u"a", u"", u"", u"b"}) {
    ListEntry entry;
    entry.texts = {u"label", second};
    list.entries.push_back(entry);
  }
  bar.set_list(std::make_shared<const ListDefinition>(list), true, -1, 0);
  const auto actions = bar.bar()->actions();
  ASSERT_EQ(actions.size(), 5);  // show full window, finish, a, one gap, b
  EXPECT_TRUE(actions[3]->isSeparator());
  actions[4]->trigger();
  actions[0]->trigger();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, Kind::BarButton);
  EXPECT_EQ(events[0].entry, 3);
  EXPECT_EQ(events[1].kind, Kind::ShowFull);
  bar.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
  // Enter on the bar (it has the focus in this form) opens nothing.
  QTest::keyClick(bar.bar(), Qt::Key_Return);
  EXPECT_EQ(events.size(), 2u);
  // A click on the bar itself, below its buttons, is reported; one on a button is not.
  int bar_clicks = 0;
  bar.set_bar_click_function([&] { ++bar_clicks; });
  bar.resize(80, 600);
  QTest::mouseClick(bar.bar(), Qt::LeftButton, {}, QPoint(40, bar.bar()->height() - 5));
  EXPECT_EQ(1, bar_clicks);
  QWidget* first_button = bar.bar()->widgetForAction(actions[2]);
  ASSERT_NE(first_button, nullptr);
  QTest::mouseClick(first_button, Qt::LeftButton);
  EXPECT_EQ(1, bar_clicks);
  // Finishing closes the window.
  EXPECT_EQ(actions[1]->toolTip(), QString::fromUtf8(foundation::message_text(10091)));
  actions[1]->trigger();
  EXPECT_FALSE(bar.isVisible());
}

TEST(ListDialogWindow, ButtonsWriteTheFieldsBackAndClosingKeepsTheData) {
  test::application();
  ListDialogForm form;
  form.title = u"Address";
  form.fields = {{u"Name", 6, 0, u"Meier"}, {u"City", 4, 6, u"Bonn"}};
  form.buttons = {{u"OK", 1}, {u"Cancel", 2}};
  const std::string block = "Meier Bonn";
  form.data.assign(block.begin(), block.end());
  int result = -1;
  std::string data;
  const auto done = [&](int r, const std::vector<std::uint8_t>& d) {
    result = r;
    data.assign(d.begin(), d.end());
  };
  {
    ListDialogWindow dialog(form, done, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Address");
    EXPECT_EQ(dialog.field(1)->text(), "Bonn");
    EXPECT_TRUE(dialog.button(0)->isDefault());
    EXPECT_EQ(dialog.button(1)->objectName(), "1602");
    EXPECT_GE(dialog.width(), 200);
    EXPECT_GE(dialog.height(), 100);
    dialog.field(0)->setText("Ott");
    dialog.field(1)->setText("Kiel");
    QTest::mouseClick(dialog.button(1), Qt::LeftButton);
  }
  EXPECT_EQ(result, 2);
  EXPECT_EQ(data, "Ott   Kiel");
  {
    ListDialogWindow dialog(form, done, nullptr);
    dialog.field(0)->setText("x");
    dialog.reject();
  }
  EXPECT_EQ(result, kListDialogClosed);
  EXPECT_EQ(data, block);
}

}  // namespace
}  // namespace kovw::dialogs
