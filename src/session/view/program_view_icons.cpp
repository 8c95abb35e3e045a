// The icon view of screen mode 4 in the program's content window, and its list dialog.

#include <QGuiApplication>
#include <QLayout>
#include <QListView>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTreeView>

#include "dialogs/view/icon_view_widget.h"
#include "dialogs/view/list_dialog_window.h"
#include "session/view/program_view.h"
#include "session/view/window_placement.h"

namespace kovw::session {

namespace {
constexpr int kIconBarWidth = 80;
constexpr int kIconBarSlideMs = 150;
}  // namespace

void ProgramView::apply(const to_view::IconView& message) {
  using Operation = to_view::IconView::Operation;
  if (!main_) return;
  switch (message.operation) {
    case Operation::Create: {
      delete icons_.data();
      delete text_scroll_.data();  // the views take the place of a text screen
      dialogs::IconViewWidget::Options options;
      options.with_tree = message.with_tree;
      options.button_bar = message.button_bar;
      options.double_click = message.double_click;
      options.tree_width = message.tree_width;
      icons_ = new dialogs::IconViewWidget(options, main_->content());
      icons_->set_look(look_.menu, look_.menu_text, look_.icon_size);
      icons_->set_event_function([this](const dialogs::IconViewEvent& event) {
        // Selecting an entry puts its text into the toolbar's first control.
        if (event.kind == dialogs::IconViewEvent::Kind::EntrySelected && main_ && icons_) {
          const dialogs::IconListModel& model = icons_->list_model();
          main_->frame()->set_first_control_text(
              model.data(model.index(event.entry, 0), Qt::DisplayRole).toString());
        }
        to_program::IconViewAction action;
        static_cast<dialogs::IconViewEvent&>(action) = event;
        if (main_) action.toolbar_text = main_->frame()->first_control_text();
        if (icons_) {
          action.list = icons_->list_model().shared_list();
          action.tree = icons_->tree_model().shared_tree();
        }
        post_to_program(*to_program_, std::move(action));
      });
      main_->frame()->set_control_entered(
          [self = QPointer<ProgramView>(this)](const QString& text) {
            if (!self || !self->icons_) return;
            to_program::IconViewAction action;
            action.kind = dialogs::IconViewEvent::Kind::ControlEnter;
            action.toolbar_text = text;
            post_to_program(*self->to_program_, std::move(action));
          });
      // Tab in the toolbar's control goes to the list.
      main_->frame()->set_control_tab([self = QPointer<ProgramView>(this)] {
        if (self && self->icons_)
          if (QWidget* list = self->icons_->current_list()) list->setFocus(Qt::TabFocusReason);
      });
      main_->content()->layout()->addWidget(icons_);
      icon_bar_docked_ = message.button_bar;
      icon_bar_left_ = message.dock_left;
      icon_bar_slid_ = false;
      // A click on the bar itself slides it out of the desktop and back in.
      icons_->set_bar_click_function([self = QPointer<ProgramView>(this)] {
        if (!self || !self->icon_bar_docked_) return;
        self->icon_bar_slid_ = !self->icon_bar_slid_;
        self->dock_icon_bar();
      });
      if (QWidget* list = icons_->current_list()) list->setFocus();
      return;
    }
    case Operation::Release:
      delete icons_.data();
      icon_bar_docked_ = false;
      main_->frame()->set_control_tab({});
      return;
    case Operation::Remember:
      main_->frame()->remember_first_control_text(message.text);
      return;
    default:
      break;
  }
  if (!icons_) return;
  switch (message.operation) {
    case Operation::Tree:
      icons_->set_tree(message.tree, message.select_folder);
      return;
    case Operation::Select:
      icons_->select_folder(message.select_folder);
      return;
    case Operation::List:
      icons_->set_list(message.list, message.take_columns, message.select_entry, message.view_mode);
      return;
    case Operation::Icons:
      icons_->set_icon_files(message.list, message.icon_files);
      return;
    case Operation::Mode:
      icons_->set_mode(message.view_mode);
      return;
    case Operation::Expand:
    case Operation::Collapse:
      icons_->expand_all(message.operation == Operation::Expand);
      return;
    case Operation::Create:
    case Operation::Release:
    case Operation::Remember:
      return;
  }
}

void ProgramView::dock_icon_bar() {
  if (!main_ || !main_->isWindow()) return;
  const QScreen* screen = main_->screen();
  if (screen == nullptr) return;
  // Window systems that place windows themselves (Wayland) ignore the position; the bar keeps its
  // size there.
  const QRect desktop = screen->availableGeometry();
  const int frame = main_->frameGeometry().width() - main_->width();
  const int x = docked_bar_x(desktop, kIconBarWidth + frame, icon_bar_left_, icon_bar_slid_);
  main_->resize(kIconBarWidth,
                desktop.height() - (main_->frameGeometry().height() - main_->height()));
  const QPoint target(x, desktop.top());
  if (!main_->isVisible() || main_->pos() == target) {
    main_->move(target);
    return;
  }
  // The bar slides to its place.
  auto* slide = new QPropertyAnimation(main_, "pos", main_);
  slide->setDuration(kIconBarSlideMs);
  slide->setEndValue(target);
  slide->start(QAbstractAnimation::DeleteWhenStopped);
}

void ProgramView::apply(const to_view::ListDialog& message) {
  if (!main_) return;
  auto* dialog = new dialogs::ListDialogWindow(
      message.form,
      [channel = to_program_](int result, const std::vector<std::uint8_t>& data) {
        post_to_program(*channel, to_program::ListDialogDone{result, data});
      },
      main_);
  dialog->setWindowModality(Qt::WindowModal);
  dialog->show();
}

}  // namespace kovw::session
