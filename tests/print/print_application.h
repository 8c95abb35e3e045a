#pragma once
// The QApplication of the print tests (fonts, printers, the job window).

#include "support/test_application.h"

namespace kovw::print::test {
using ::kovw::test::application;
}  // namespace kovw::print::test
