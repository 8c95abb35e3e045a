#pragma once
// The QApplication of a test program that needs one (fonts, images, printers, widgets), made on
// first use and deleted after the last test; offscreen unless the run chose a platform.

#include <gtest/gtest.h>

#include <QApplication>

namespace kovw::test {

class ApplicationEnvironment : public ::testing::Environment {
 public:
  void TearDown() override {
    delete owned();
    owned() = nullptr;
  }
  static QApplication*& owned() {
    static QApplication* app = nullptr;
    return app;
  }
};

inline QApplication* application() {
  static int argc = 1;
  static char name[] = "kovw_test";
  static char* argv[] = {name, nullptr};
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ApplicationEnvironment::owned() = new QApplication(argc, argv);
  ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);
  return ApplicationEnvironment::owned();
}

}  // namespace kovw::test
