// Every test of the session layer cleans up the windows it made: a top-level widget left behind
// would be counted by later tests that look at the windows of their own programs. This
// listener names each test that leaves one and makes the test program fail at its end.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class WidgetCleanupCheck : public testing::EmptyTestEventListener {
 public:
  void OnTestEnd(const testing::TestInfo& info) override {
    if (QApplication::instance() == nullptr) return;
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList left = QApplication::topLevelWidgets();
    if (left.isEmpty()) return;
    std::string names;
    for (QWidget* widget : left) {
      names += ' ';
      names += widget->metaObject()->className();
      for (QAction* a : widget->actions()) names += "[" + a->text().toStdString() + "]";
      if (!widget->objectName().isEmpty()) names += "(" + widget->objectName().toStdString() + ")";
      if (widget->parentWidget() != nullptr)
        names += std::string(" in ") + widget->parentWidget()->metaObject()->className();
    }
    std::fprintf(stderr, "%s.%s left %lld top-level widget(s):%s\n", info.test_suite_name(),
                 info.name(), static_cast<long long>(left.size()), names.c_str());
    offenders_.push_back(std::string(info.test_suite_name()) + "." + info.name());
    // Clean up after it, so that the tests after it still see an empty desktop.
    for (QWidget* widget : left) delete widget;
  }

  void OnTestProgramEnd(const testing::UnitTest&) override {
    if (offenders_.empty()) return;
    std::fprintf(stderr, "%zu test(s) left top-level widgets behind\n", offenders_.size());
    std::fflush(stderr);
    std::_Exit(1);
  }

 private:
  std::vector<std::string> offenders_;
};

const bool installed = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new WidgetCleanupCheck);
  return true;
}();

}  // namespace
