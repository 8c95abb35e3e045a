#pragma once
// What the shell's widget tests share: the one QApplication of the test program (offscreen,
// unattended), waiting for queued work, and a presenter that records the boxes shown and
// answers them as scripted.

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/show_message.h"

namespace kovw::test {

// Made on first use, reused when the program made one already; never deleted.
inline QApplication& application() {
  static int argc = 1;
  static char name[] = "test_shell";
  static char* argv[] = {name, nullptr};
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("KOVW_UNATTENDED", "1");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// A box text with its line breaks (made for the box's width) turned back into blanks.
inline std::string flat(std::string text) {
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

template <typename Condition>
bool spin_until(Condition condition, int ms = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// Installed for its lifetime (with unattended runs off, so that boxes reach it): records
// every box and answers with `answer`.
class ScriptedBoxes : public foundation::MessagePresenter {
 public:
  explicit ScriptedBoxes(int answer = foundation::kAnswerOk) : answer(answer) {
    setenv(foundation::kUnattendedVariable, "0", 1);
    foundation::set_message_presenter(this);
  }
  ~ScriptedBoxes() override {
    foundation::set_message_presenter(nullptr);
    setenv(foundation::kUnattendedVariable, "1", 1);
  }
  int present(const foundation::MessageBoxRequest& request) override {
    boxes.push_back(request);
    return answer;
  }
  int answer;
  std::vector<foundation::MessageBoxRequest> boxes;
};

}  // namespace kovw::test
