// Which host key a toolkit key press names.

#include "session/view/text_input.h"

#include <gtest/gtest.h>

namespace kovw::session {
namespace {

TEST(HostKeyOf, ToolkitKeysAndKeysReportedOnlyByTheirNativeSymbol) {
  struct Case {
    int qt_key;
    quint32 native;
    HostKey expected;
  };
  const Case cases[] = {
    {Qt::Key_Select, 0, HostKey::Select},
    {Qt::Key_F5, 0, HostKey::F5},
    {Qt::Key_A, 'a', HostKey::None},
#if !defined(Q_OS_WIN)
    // X11 delivers Select and Execute with key code 0.
    {0, 0xFF60, HostKey::Select},
    {0, 0xFF62, HostKey::Execute},
    {Qt::Key_unknown, 0xFF62, HostKey::Execute},
#endif
    {0, 0, HostKey::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, host_key_of(c.qt_key, c.native)) << c.qt_key << " " << c.native;
  }
}

}  // namespace
}  // namespace kovw::session
