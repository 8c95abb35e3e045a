// The boundary between program threads and the GUI thread: the program part of the session
// includes no view header, and every message that crosses has its own number and log name.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "session/window_messages.h"

namespace kovw::session::test {
namespace {

// Lines of the program part's sources that include a header of a view part (the session's, or
// the widgets of the dialog and graphics libraries).
std::vector<std::string> view_includes_in(const std::filesystem::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const auto extension = entry.path().extension();
    if (extension != ".h" && extension != ".cpp") continue;
    std::ifstream file(entry.path());
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
      const auto first = line.find_first_not_of(" \t");
      if (first == std::string::npos || line.compare(first, 1, "#") != 0) continue;
      const bool view_header = line.find("session/view/") != std::string::npos ||
                               line.find("dialogs/view/") != std::string::npos ||
                               line.find("graphics/view/") != std::string::npos;
      if (line.find("include") != std::string::npos && view_header)
        found.push_back(entry.path().filename().string() + ":" + std::to_string(number) + ": " +
                        line);
    }
  }
  return found;
}

TEST(BoundaryTest, ProgramPartIncludesNoViewHeader) {
  const std::filesystem::path program =
      std::filesystem::path(KOVW_SOURCE_DIR) / "src/session/program";
  ASSERT_TRUE(std::filesystem::is_directory(program)) << program;
  const auto found = view_includes_in(program);
  std::string listed;
  for (const auto& line : found) listed += line + "\n";
  EXPECT_TRUE(found.empty()) << listed;
}

TEST(BoundaryTest, ScannerFindsAViewInclude) {
  // The check above must be able to fail: a program file that includes a view header is found.
  const auto folder = std::filesystem::temp_directory_path() / "kovw_boundary_scan";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "bad.cpp") << "#include <QString>\n  #  include \"session/view/x.h\"\n";
  std::ofstream(folder / "bad2.cpp") << "#include \"dialogs/view/host_dialog.h\"\n";
  std::ofstream(folder / "good.h") << "// session/view/ in a comment\n#include \"session/y.h\"\n";
  auto found = view_includes_in(folder);
  std::filesystem::remove_all(folder);
  std::sort(found.begin(), found.end());
  ASSERT_EQ(2u, found.size());
  EXPECT_EQ(0u, found[0].find("bad.cpp:2:"));
  EXPECT_EQ(0u, found[1].find("bad2.cpp:1:"));
}

template <typename Variant, std::size_t... I>
std::vector<int> numbers_of(std::index_sequence<I...>) {
  return {std::variant_alternative_t<I, Variant>::kNumber...};
}

template <typename Variant>
std::vector<int> numbers_of() {
  return numbers_of<Variant>(std::make_index_sequence<std::variant_size_v<Variant>>());
}

TEST(BoundaryTest, EveryMessageHasItsOwnNumberAndName) {
  std::vector<int> all = numbers_of<ViewMessage>();
  const std::vector<int> to_program = numbers_of<ProgramMessage>();
  all.insert(all.end(), to_program.begin(), to_program.end());
  all.push_back(WML_ENDE);
  std::set<int> seen;
  for (const int number : all) {
    EXPECT_TRUE(seen.insert(number).second) << "number used twice: " << number;
    EXPECT_STRNE("WM_USER+n", wml_name(number)) << number;
  }
  // An event carries its message's number as its type.
  const ProgramEvent wheel(to_program::MouseWheel{3});
  EXPECT_EQ(WML_MOUSE_WHEEL, wheel.number());
  EXPECT_STREQ("WM_CLOSE", wml_name(message_number(ProgramMessage(to_program::Close{}))));
}

// An offered link is closed unless the receiver takes it: a reconnect message that is never
// delivered (its channel unbound) leaks no socket, and a taken socket stays open.
TEST(BoundaryTest, OfferedSocketClosesUnlessTaken) {
  int pair[2];
  ASSERT_EQ(0, ::socketpair(AF_UNIX, SOCK_STREAM, 0, pair));
  EventChannel nobody;
  EXPECT_FALSE(post_to_program(nobody, to_program::Reconnect{7, OfferedSocket(pair[0])}));
  EXPECT_EQ(-1, ::fcntl(pair[0], F_GETFD));

  int taken = -1;
  {
    ProgramMessage message = to_program::Reconnect{7, OfferedSocket(pair[1])};
    taken = std::get<to_program::Reconnect>(message).socket.take();
  }
  EXPECT_EQ(pair[1], taken);
  EXPECT_NE(-1, ::fcntl(taken, F_GETFD));
  ::close(taken);
}

}  // namespace
}  // namespace kovw::session::test
