#include "session/view/program_view.h"

#include "graphics/view/graphics_sub_window.h"
#include "graphics/view/graphics_window_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QGridLayout>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <variant>

#include "dialogs/view/icon_view_widget.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "platform/font_substitution.h"
#include "session/program/window_hardcopy_request.h"
#include "session/view/cursor_kinds.h"
#include "session/view/window_hardcopy.h"
#include "session/view/window_operations.h"
#include "session/view/window_placement.h"
#include "session/window_registry.h"

namespace kovw::session {

namespace {

int g_live_views = 0;  // GUI thread only

// Places a main window that was just shown at its defined position: a new one cascaded with the
// process's offset and kept in the work area. The cascade step is twice the frame's top edge
// (border and caption); a platform that reports no frame uses the style's title bar height.
void place_shown_window(QWidget& window, bool cascade) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect frame = window.frameGeometry();
  int top_edge = window.geometry().top() - frame.top();
  if (top_edge <= 0)
    top_edge = window.style()->pixelMetric(QStyle::PM_TitleBarHeight) +
               window.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  const QPoint position = place_new_window(frame, screen->availableGeometry(), 2 * top_edge,
                                           cascade, process_cascade_offset());
  if (position != frame.topLeft()) window.move(position);
}

// The size a host asks for, bounded: a side more than twice the screen's becomes the screen's
// (a window far larger than the desktop helps nobody, and its backing store would not fit
// into memory).
QSize bounded_size(const QWidget& window, int width, int height) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return {width, height};
  const QSize desktop = screen->availableGeometry().size();
  if (width / 2 > desktop.width()) width = desktop.width();
  if (height / 2 > desktop.height()) height = desktop.height();
  return {width, height};
}

}  // namespace

namespace {

// Only drops that carry local files are taken.
QStringList local_files(const QMimeData* data) {
  QStringList files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << QDir::toNativeSeparators(url.toLocalFile());
  return files;
}

}  // namespace

ContentWindow::ContentWindow(ChannelPtr to_program, QWidget* parent)
    : QWidget(parent), to_program_(std::move(to_program)) {
  setAcceptDrops(true);
  auto* layout = new QVBoxLayout(this);  // holds the screen of the program
  layout->setContentsMargins(0, 0, 0, 0);
}

void ContentWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!local_files(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void ContentWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (!local_files(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void ContentWindow::dropEvent(QDropEvent* event) {
  const QStringList files = local_files(event->mimeData());
  if (files.isEmpty()) return;
  post_to_program(*to_program_, to_program::FilesDropped{files});
  event->acceptProposedAction();
}

MainWindow::MainWindow(ChannelPtr to_program, QWidget* parent)
    : QWidget(parent, parent != nullptr ? Qt::Window : Qt::WindowFlags{}),
      to_program_(std::move(to_program)),
      content_(new ContentWindow(to_program_, this)) {
  // The content window in the middle; the frame's bars go around it (frame_widgets.h).
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(content_, 1, 1);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(1, 1);
  frame_ = new FrameWidgets(to_program_, this, layout);
  resize(640, 480);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The program decides: the repeated-close rule and the question run on its thread.
  event->ignore();
  post_to_program(*to_program_, to_program::Close{});
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (content_->geometry().contains(event->pos())) return;
  QMenu menu(this);
  menu.addAction(QString::fromUtf8(foundation::message_text(10053)), this, [this] {
    post_to_program(*to_program_, to_program::FrameItem{kHardcopyCommand, {}});
  });
  menu.exec(event->globalPos());
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  report_geometry_soon();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  report_geometry_soon();
}

void MainWindow::report_geometry_soon() {
  if (report_pending_) return;
  report_pending_ = true;
  QTimer::singleShot(0, this, [this] {
    report_pending_ = false;
    report_geometry();
  });
}

void MainWindow::report_geometry() {
  // Embedded windows stay at their parent's origin; a minimised one keeps its last place.
  if (!isWindow() || !isVisible() || isMinimized()) return;
  to_program::WindowGeometry report{x(), y(), width(), height(), isMaximized()};
  const QRect frame = frameGeometry();
  const QRect inside = geometry();
  report.frame_width = std::max(0, inside.left() - frame.left());
  report.title_height = std::max(0, inside.top() - frame.top() - report.frame_width);
  report.scroll_bar_width = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  post_to_program(*to_program_, std::move(report));
}

ProgramView::ProgramView(ChannelPtr to_program, ChannelPtr to_view)
    : to_program_(std::move(to_program)), to_view_(std::move(to_view)) {
  to_view_->bind(this);
  ++g_live_views;
}

ProgramView::~ProgramView() {
  to_view_->unbind();
  destroy_windows();
  --g_live_views;
}

int ProgramView::live_count() {
  return g_live_views;
}

void ProgramView::customEvent(QEvent* event) {
  // Only ViewEvents are posted to the view (its channel takes nothing else).
  std::visit([this](const auto& message) { apply(message); },
             static_cast<const ViewEvent&>(*event).message);
}

void ProgramView::apply(const to_view::CreateWindows& message) {
  if (main_) return;
  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("dt_winmain: Open Client Main Window");
  QWidget* parent = registered_window(message.parent_handle);
  main_ = new MainWindow(to_program_, parent);
  if (parent != nullptr) main_->setWindowModality(Qt::WindowModal);
  main_->setWindowTitle(message.caption);
  main_->content()->setCursor(cursor_shape(kCursorArrow));
  input_ = new TextInput(to_program_, main_->content());
  input_->set_key_bar([window = main_] { return window && window->frame()->focus_key_bar(); });
  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("dt_winmain: Open Client Sub Window");
  main_handle_ = message.main_handle;
  content_handle_ = message.content_handle;
  register_window(main_handle_, main_.data());
  register_window(content_handle_, main_->content());
}

void ProgramView::apply(const to_view::ShowWindows& message) {
  if (!main_) return;
  main_->setWindowTitle(message.caption);
  // A text screen's size follows from its grid and font; other screens give theirs in pixels.
  QSize size(message.width, message.height);
  if (text_ && (size.width() <= 0 || size.height() <= 0)) size = text_content_size();
  if (size.width() > 0 && size.height() > 0) fit_main_window(size);
  const bool top_level = main_->isWindow();
  if (top_level) main_->move(message.x, message.y);
  main_->show();
  // The frame's size is known once the window is shown.
  if (top_level) place_shown_window(*main_, message.first_show && message.cascade);
  if (icon_bar_docked_) dock_icon_bar();
  main_->raise();
  main_->activateWindow();
  main_->content()->setFocus();
}

void ProgramView::apply(const to_view::HideWindows&) {
  if (main_) main_->hide();
}

void ProgramView::apply(const to_view::Title& message) {
  if (main_) main_->setWindowTitle(message.text);
}

void ProgramView::apply(const to_view::Cursor& message) {
  if (main_) main_->content()->setCursor(cursor_shape(message.kind));
}

void ProgramView::apply(const to_view::InputEnabled& message) {
  if (!main_) return;
  main_->content()->setEnabled(message.enabled);
  main_->frame()->set_bars_enabled(message.enabled);
  if (message.enabled && main_->isActiveWindow()) main_->content()->setFocus();
}

void ProgramView::apply(const to_view::Background& message) {
  if (!main_) return;
  look_ = message;
  // The main window's palette reaches the bars, the status bar and the content window; fields
  // and lists take the window brush, buttons the button colours.
  QPalette palette = main_->palette();
  palette.setColor(QPalette::Window, message.colour);
  if (message.text.isValid()) palette.setColor(QPalette::WindowText, message.text);
  if (message.window.isValid()) palette.setColor(QPalette::Base, message.window);
  if (message.window_text.isValid()) palette.setColor(QPalette::Text, message.window_text);
  if (message.button.isValid()) palette.setColor(QPalette::Button, message.button);
  if (message.button_text.isValid()) palette.setColor(QPalette::ButtonText, message.button_text);
  main_->setPalette(palette);
  for (QWidget* window :
       {static_cast<QWidget*>(main_.data()), static_cast<QWidget*>(main_->content())})
    window->setAutoFillBackground(true);
  main_->frame()->set_menu_colours(message.menu, message.menu_text, message.context_menu,
                                   message.context_menu_text);
  main_->frame()->set_button_shades(message.button_shades, message.pressed_shades,
                                    message.button_text);
  main_->setFont(message.frame_font.isEmpty()
                     ? QApplication::font()
                     : platform::font_for(message.frame_font, message.frame_font_tenths));
  // The icon views' tree and list take the menu colours.
  if (icons_) icons_->set_look(message.menu, message.menu_text, message.icon_size);
}

void ProgramView::apply(const to_view::InputField& message) {
  if (!text_) return;
  if (!field_) field_ = new InputFieldWidget(text_);
  field_->apply(message);
  // Assistive technology names the field after the label before it on its row.
  if (message.shown)
    field_->setAccessibleName(text_->label_before_cell(message.column, message.row));
  text_->set_field_shown(message.shown);
}

void ProgramView::apply(const to_view::EditArea& message) {
  if (!text_ || !main_) return;
  delete edit_.data();
  edit_ = new EditAreaWidget(message, text_, text_->cell_width(), text_->cell_height(), to_program_,
                             main_->content());
  if (main_->frame()->status_bar()) main_->frame()->set_status_text(message.help);
}

void ProgramView::apply(const to_view::HostDialog& message) {
  using Operation = to_view::HostDialog::Operation;
  if (message.operation == Operation::Refill) {
    if (dialog_) dialog_->refill(message.definition);
    return;
  }
  delete dialog_.data();
  if (message.operation == Operation::Close || !main_) return;
  const int layout = message.layout;
  dialog_ = new dialogs::HostDialogWindow(
      message.definition, main_.data(),
      [channel = to_program_](const dialogs::DialogAction& action) {
        post_to_program(*channel, to_program::DialogUserAction{action});
      },
      [layout](const QKeyEvent& key) -> std::optional<int> {
        return layout_number(layout, host_key_of(key.key(), key.nativeVirtualKey()),
                             modifier_bits(key.modifiers()));
      });
  // A button's help shows in the program window's status bar while it is pointed at.
  dialog_->installEventFilter(main_->frame());
  // The program's colours (the colour model's brushes) and, for a message, its text font.
  dialog_->setPalette(main_->palette());
  if (!message.text_font.isEmpty())
    dialog_->set_message_font(platform::font_for(message.text_font, message.text_font_tenths));
  dialog_->show();
  dialog_->raise();
  dialog_->activateWindow();
}

void ProgramView::apply(const to_view::ChildHolds& message) {
  // A child program holds this program: its window is modal to ours (Qt blocks our input while
  // it is shown); when it ends, ours takes the focus again.
  if (main_ && !message.holds) {
    main_->activateWindow();
    main_->content()->setFocus();
  }
}

void ProgramView::apply(const to_view::Warning& message) {
  const std::string text = message.text.toStdString();
  foundation::show_message(main_.data(), foundation::kMsgUtf8, 0, "KOV Workstation", "%s",
                           text.c_str());
}

void ProgramView::apply(const to_view::MessageWindow& message) {
  messages_.handle(message, main_.data());
}

void ProgramView::apply(const to_view::Beep&) {
  QApplication::beep();
}

void ProgramView::apply(const to_view::TextScreen& message) {
  if (!main_) return;
  delete text_scroll_.data();  // with the screen in it
  if (!message.look) return;
  // The screen is as large as its grid; where the content window is smaller, scroll bars
  // appear (the vertical one at the right, the horizontal one at the bottom).
  text_scroll_ = new QScrollArea(main_->content());
  text_scroll_->setFrameShape(QFrame::NoFrame);
  text_scroll_->setFocusPolicy(Qt::NoFocus);
  text_scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_ = new TextScreenWidget(*message.look, main_->content());
  text_scroll_->setWidget(text_);
  text_scroll_->viewport()->setBackgroundRole(QPalette::Window);
  main_->content()->layout()->addWidget(text_scroll_);
  if (input_) input_->watch(text_);
}

void ProgramView::apply(const to_view::GraphicsWindow& message) {
  using Operation = to_view::GraphicsWindow::Operation;
  if (!main_) return;
  std::vector<graphics::TooltipRegion> tips;
  tips.reserve(message.tips.size());
  for (const to_view::GraphicsTip& tip : message.tips) tips.push_back({tip.rect, tip.text});
  if (message.window != 0) {
    // A window inside the main one.
    if (!graphics_) return;
    QPointer<graphics::GraphicsSubWindow>& sub = graphics_subs_[message.window];
    if (message.operation == Operation::Define) {
      delete sub.data();
      sub = new graphics::GraphicsSubWindow(message.window, message.place, message.background,
                                            graphics_);
      connect(sub->view(), &graphics::GraphicsWindowWidget::clicked, this,
              [this, id = message.window](QPoint at, int button_code, int modifiers) {
                post_to_program(*to_program_, to_program::GraphicsClick{button_code, at.x(), at.y(),
                                                                        modifiers, id});
              });
      connect(sub, &graphics::GraphicsSubWindow::scrolled, this,
              [this](std::int32_t id, int x, int y) {
                post_to_program(*to_program_, to_program::GraphicsScroll{id, x, y});
              });
    } else if (message.operation == Operation::Picture && sub) {
      sub->show_part(message.picture, message.extent, message.scroll, std::move(tips),
                     message.tips_active);
    } else if (message.operation == Operation::Field && sub) {
      sub->view()->set_field(message.field);
    }
    return;
  }
  switch (message.operation) {
    case Operation::Define: {
      delete graphics_scroll_.data();
      graphics_subs_.clear();
      delete text_scroll_.data();  // a graphics window takes the place of a text screen
      graphics_scroll_ = new QScrollArea(main_->content());
      graphics_scroll_->setFrameShape(QFrame::NoFrame);
      graphics_scroll_->setFocusPolicy(Qt::NoFocus);
      graphics_scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      graphics_ =
          new graphics::GraphicsWindowWidget(message.size, message.background, main_->content());
      graphics_->setObjectName(QStringLiteral("graphics_window"));
      connect(graphics_, &graphics::GraphicsWindowWidget::clicked, this,
              [this](QPoint at, int button_code, int modifiers) {
                post_to_program(*to_program_,
                                to_program::GraphicsClick{button_code, at.x(), at.y(), modifiers});
              });
      graphics_scroll_->setWidget(graphics_);
      main_->content()->layout()->addWidget(graphics_scroll_);
      fit_main_window(message.size);
      return;
    }
    case Operation::Picture:
      if (graphics_) graphics_->set_picture(message.picture, std::move(tips), message.tips_active);
      return;
    case Operation::End:
      graphics_subs_.clear();
      delete graphics_scroll_.data();
      return;
    case Operation::Field:
      if (graphics_) graphics_->set_field(message.field);
      return;
  }
}

void ProgramView::apply(const to_view::TextRows& message) {
  if (!text_) return;
  const QSize before = text_content_size();
  const QRect view_before = text_->view_rect();
  const QRect cursor_before = text_->cursor_rect();
  text_->apply(message.update);
  // A new grid size or view resizes the shown window to fit the screen.
  if (text_content_size() != before && main_->isVisible()) {
    fit_main_window(text_content_size());
  }
  // The host chose another visible part: it is scrolled to; then the caret stays in sight.
  const QRect view = text_->view_rect();
  if (view.topLeft() != view_before.topLeft()) {
    text_scroll_->horizontalScrollBar()->setValue(view.left());
    text_scroll_->verticalScrollBar()->setValue(view.top());
  }
  if (text_->cursor_rect() != cursor_before || view != view_before) {
    keep_caret_in_sight();
    // Again once the window's new size has reached the scroll area.
    QTimer::singleShot(0, text_scroll_, [this] { keep_caret_in_sight(); });
  }
}

void ProgramView::keep_caret_in_sight() {
  if (!text_ || !text_scroll_) return;
  const QRect cursor = text_->cursor_rect();
  // The middle of the cell, with margins that reach its last pixels on either side.
  const int half_width = cursor.width() / 2;
  const int half_height = cursor.height() / 2;
  text_scroll_->ensureVisible(cursor.left() + half_width, cursor.top() + half_height,
                              cursor.width() - half_width, cursor.height() - half_height);
}

QSize ProgramView::text_content_size() const {
  // The view, and room for the scroll bars that show the rest of the grid.
  QSize size = text_->sizeHint();
  const QSize grid = text_->grid_pixel_size();
  const int bar = text_scroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const bool across = size.width() < grid.width();
  const bool down = size.height() < grid.height();
  if (down) size.rwidth() += bar;
  if (across) size.rheight() += bar;
  return size;
}

void ProgramView::apply(const to_view::MapWindow& message) {
  if (QWidget* window = registered_window(message.window); window != nullptr)
    apply_window_operation(*window, message.operation);
}

void ProgramView::apply(const to_view::Frame& message) {
  if (main_) main_->frame()->build(message.frame);
}

void ProgramView::apply(const to_view::ItemState& message) {
  if (main_) main_->frame()->set_state(message.item, message.state);
}

void ProgramView::apply(const to_view::ItemText& message) {
  if (main_) main_->frame()->set_text(message.item, message.label, message.help);
}

void ProgramView::apply(const to_view::FrameIcons& message) {
  if (main_) main_->frame()->set_icons(message.icons);
}

void ProgramView::apply(const to_view::ToolCaption& message) {
  if (main_) main_->frame()->set_tool_caption(message.text);
}

void ProgramView::apply(const to_view::ContextMenu& message) {
  if (!main_) return;
  main_->frame()->show_context_menu(message.entries);
  // A text screen's context menu ends with the window's hardcopy.
  QMenu* menu = main_->frame()->context_menu();
  if (text_ && menu) {
    menu->addSeparator();
    menu->addAction(QString::fromUtf8(foundation::message_text(10053)), this, [this] {
      post_to_program(*to_program_, to_program::FrameItem{kHardcopyCommand, {}});
    });
  }
}

void ProgramView::apply(const to_view::Hardcopy& message) {
  if (!main_) return;
  HardcopySource source;
  source.description = message.description;
  source.text_screen = message.text_screen;
  if (message.text_screen) {
    if (!text_) return;
    source.look = text_->look();
    source.cells = message.cells;
    source.columns = message.columns;
    source.view = message.view;
  } else {
    if (!graphics_) return;
    source.whole = graphics_->picture();
    QRect visible = source.whole.rect();
    if (graphics_scroll_) {
      const QPoint at(graphics_scroll_->horizontalScrollBar()->value(),
                      graphics_scroll_->verticalScrollBar()->value());
      visible &= QRect(at, graphics_scroll_->viewport()->size());
    }
    source.visible = source.whole.copy(visible);
  }
  window_hardcopy(main_, source, message.parameter);
}

void ProgramView::apply(const to_view::StatusText& message) {
  if (main_) main_->frame()->set_status_text(message.text);
}

void ProgramView::apply(const to_view::Clipboard& message) {
  // Replaces whatever the clipboard held by the text alone.
  QGuiApplication::clipboard()->setText(message.text);
}

void ProgramView::apply(const to_view::Destroy&) {
  destroy_windows();
  deleteLater();
}

void ProgramView::fit_main_window(QSize content) {
  const QSize size = content + main_->frame()->extra_size();  // the content keeps its size
  main_->resize(bounded_size(*main_, size.width(), size.height()));
}

void ProgramView::destroy_windows() {
  messages_.close_all();
  unregister_window(main_handle_);
  unregister_window(content_handle_);
  if (!main_) return;
  // Main windows of child programs placed over ours stay with their own programs; our own
  // popups (context menus) go with our window.
  for (QObject* child : main_->children()) {
    if (auto* window = dynamic_cast<MainWindow*>(child); window != nullptr && window->isWindow()) {
      window->setParent(nullptr, window->windowFlags());
    }
  }
  delete main_.data();
}

}  // namespace kovw::session
