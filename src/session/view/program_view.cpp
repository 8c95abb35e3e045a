#include "session/view/program_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QGridLayout>
#include <QMimeData>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <unordered_map>
#include <utility>

#include "foundation/log.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "session/view/cursor_kinds.h"
#include "session/view/window_operations.h"
#include "session/view/window_placement.h"

namespace kovw::session {

namespace {

std::atomic<std::int64_t> g_next_handle{0x10002};
int g_live_views = 0;  // GUI thread only
std::unordered_map<std::int64_t, QPointer<QWidget>>& registry() {
  static std::unordered_map<std::int64_t, QPointer<QWidget>> widgets;  // GUI thread only
  return widgets;
}

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

std::int64_t new_window_handle() {
  return g_next_handle.fetch_add(2);
}

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

ContentWindow::ContentWindow(QWidget* parent) : QWidget(parent) {
  setAcceptDrops(true);
  auto* layout = new QVBoxLayout(this);  // holds the screen of the program
  layout->setContentsMargins(0, 0, 0, 0);
}

QStringList ContentWindow::take_dropped_files() {
  return std::exchange(dropped_files_, {});
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
  dropped_files_ << files;
  event->acceptProposedAction();
}

MainWindow::MainWindow(ChannelPtr to_program, QWidget* parent)
    : QWidget(parent, parent != nullptr ? Qt::Window : Qt::WindowFlags{}),
      to_program_(std::move(to_program)),
      content_(new ContentWindow(this)) {
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
  to_program_->post(new WmlEvent(WML_CLOSE));
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

QWidget* ProgramView::widget_for(std::int64_t handle) {
  const auto found = registry().find(handle);
  return found == registry().end() ? nullptr : found->second.data();
}

void ProgramView::customEvent(QEvent* event) {
  const auto& message = static_cast<const WmlEvent&>(*event);
  switch (message.number()) {
    case WML_VIEW_CREATE:
      create_windows(static_cast<const ViewCreateEvent&>(message));
      break;
    case WML_VIEW_SHOW:
      show_windows(static_cast<const ViewShowEvent&>(message));
      break;
    case WML_VIEW_HIDE:
      if (main_) main_->hide();
      break;
    case WML_VIEW_TITLE:
      if (main_) main_->setWindowTitle(message.text);
      break;
    case WML_VIEW_CURSOR:
      if (main_) main_->content()->setCursor(cursor_shape(static_cast<int>(message.wparam)));
      break;
    case WML_VIEW_CHILD:
      // A child program holds this program: its window is modal to ours (Qt blocks our input
      // while it is shown); when it ends, ours takes the focus again.
      if (main_ && message.wparam == 0) {
        main_->activateWindow();
        main_->content()->setFocus();
      }
      break;
    case WML_WARNING: {
      const std::string text = message.text.toStdString();
      foundation::show_message(main_.data(), foundation::kMsgUtf8, 0, "KOV Workstation", "%s",
                               text.c_str());
      break;
    }
    case WML_VIEW_MESSAGE:
      messages_.handle(message, main_.data());
      break;
    case WML_VIEW_TEXT_SCREEN:
      set_text_screen(static_cast<const TextScreenCreateEvent&>(message));
      break;
    case WML_VIEW_TEXT_ROWS:
      apply_text_rows(static_cast<const TextScreenRowsEvent&>(message));
      break;
    case WML_VIEW_BEEP:
      QApplication::beep();
      break;
    case WML_VIEW_FRAME:
      if (main_) main_->frame()->build(static_cast<const FrameBuildEvent&>(message).frame);
      break;
    case WML_VIEW_ITEM_STATE:
      if (main_)
        main_->frame()->set_state(static_cast<int>(message.wparam),
                                  static_cast<int>(message.lparam));
      break;
    case WML_VIEW_CONTEXT_MENU:
      if (main_)
        main_->frame()->show_context_menu(static_cast<const ContextMenuEvent&>(message).entries);
      break;
    case WML_VIEW_STATUS:
      if (main_) main_->frame()->set_status_text(message.text);
      break;
    case WML_VIEW_MAP:
      if (QWidget* window = widget_for(message.lparam); window != nullptr)
        apply_window_operation(*window, static_cast<int>(message.wparam));
      break;
    case WML_VIEW_DESTROY:
      destroy_windows();
      deleteLater();
      break;
    default:
      foundation::log_printf("ProgramView: %s (%d) nicht behandelt", wml_name(message.number()),
                             message.number());
  }
}

void ProgramView::create_windows(const ViewCreateEvent& event) {
  if (main_) return;
  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("dt_winmain: Open Client Main Window");
  QWidget* parent = widget_for(event.parent_handle);
  main_ = new MainWindow(to_program_, parent);
  if (parent != nullptr) main_->setWindowModality(Qt::WindowModal);
  main_->setWindowTitle(event.text);
  main_->content()->setCursor(cursor_shape(kCursorArrow));
  input_ = new TextInput(to_program_, main_->content());
  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("dt_winmain: Open Client Sub Window");
  main_handle_ = event.wparam;
  content_handle_ = event.lparam;
  registry()[main_handle_] = main_.data();
  registry()[content_handle_] = main_->content();
}

void ProgramView::show_windows(const ViewShowEvent& event) {
  if (!main_) return;
  if (!event.text.isEmpty()) main_->setWindowTitle(event.text);
  // A text screen's size follows from its grid and font; other screens give theirs in pixels.
  QSize size(event.width, event.height);
  if (text_ && (size.width() <= 0 || size.height() <= 0)) size = text_->sizeHint();
  if (size.width() > 0 && size.height() > 0) fit_main_window(size);
  const bool top_level = main_->isWindow();
  if (top_level) main_->move(event.x, event.y);
  main_->show();
  // The frame's size is known once the window is shown.
  if (top_level) place_shown_window(*main_, event.first_show && event.cascade);
  main_->raise();
  main_->activateWindow();
  main_->content()->setFocus();
}

void ProgramView::fit_main_window(QSize content) {
  const QSize size = content + main_->frame()->extra_size();  // the content keeps its size
  main_->resize(bounded_size(*main_, size.width(), size.height()));
}

void ProgramView::set_text_screen(const TextScreenCreateEvent& event) {
  if (!main_) return;
  delete text_.data();
  if (!event.look) return;
  text_ = new TextScreenWidget(*event.look, main_->content());
  main_->content()->layout()->addWidget(text_);
  if (input_) input_->watch(text_);
}

void ProgramView::apply_text_rows(const TextScreenRowsEvent& event) {
  if (!text_) return;
  const QSize before = text_->sizeHint();
  text_->apply(event.update);
  // A new grid size or view resizes the shown window to fit the screen.
  if (text_->sizeHint() != before && main_->isVisible()) fit_main_window(text_->sizeHint());
}

void ProgramView::destroy_windows() {
  messages_.close_all();
  registry().erase(main_handle_);
  registry().erase(content_handle_);
  if (!main_) return;
  // Windows of child programs placed over ours stay with their own programs. Our own popups
  // (an open context menu) go with the window: moved out, they would be left behind for ever.
  for (QObject* child : main_->children()) {
    if (auto* window = qobject_cast<QWidget*>(child);
        window != nullptr && window->isWindow() && window->windowType() != Qt::Popup) {
      window->setParent(nullptr, window->windowFlags());
    }
  }
  delete main_.data();
}

}  // namespace kovw::session
