#pragma once
// The QApplication of the platform tests.

#include "support/test_application.h"

namespace kovw::platform::test {
using ::kovw::test::application;
}  // namespace kovw::platform::test
