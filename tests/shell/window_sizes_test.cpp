#include "shell/window_sizes.h"

#include <gtest/gtest.h>

#include <thread>

#include "shell/settings_store.h"
#include "shell/temp_xdg_home.h"

namespace kovw::shell {
namespace {

using platform::Registry;

class WindowSizesTest : public ::testing::Test {
 protected:
  test::TempXdgHome home;
  Registry registry;
};

TEST_F(WindowSizesTest, MissingSizesLeaveTheCallersValues) {
  WindowSizes sizes{1, 2, 300, 200, 5, 6, 7, 8};
  EXPECT_EQ(dr_load_sizes(registry, "prog", sizes, true, QSize(1920, 1080)), 0);
  EXPECT_EQ(sizes.anz_x, 300);
  EXPECT_EQ(sizes.size2, 8);

  // Five of the six needed values are not enough.
  registry.write_dword(sizes_key("prog"), "geoX", 10);
  registry.write_dword(sizes_key("prog"), "geoY", 10);
  registry.write_dword(sizes_key("prog"), "anzX", 10);
  registry.write_dword(sizes_key("prog"), "anzY", 10);
  registry.write_dword(sizes_key("prog"), "posX", 10);
  EXPECT_EQ(dr_load_sizes(registry, "prog", sizes, true, QSize(1920, 1080)), 0);
  EXPECT_EQ(sizes.geo_x, 1);
}

TEST_F(WindowSizesTest, RoundTripAndTheTwoExtraSizesOnRequest) {
  const WindowSizes saved{11, 12, 800, 600, 40, 50, 70, 80};
  ASSERT_EQ(dr_save_sizes(registry, "ProgramWithALongName", saved), 0);
  // The key holds the first ten characters.
  EXPECT_TRUE(registry.key_exists("Sizes\\ProgramWit"));
  EXPECT_EQ(registry.read_dword("Sizes\\ProgramWit", "anzX"), 800u);

  WindowSizes six{};
  ASSERT_EQ(dr_load_sizes(registry, "ProgramWithAnotherName", six, false, QSize(1920, 1080)), 1);
  EXPECT_EQ(six.geo_x, 11);
  EXPECT_EQ(six.pos_y, 50);
  EXPECT_EQ(six.size1, 0);
  WindowSizes eight{};
  ASSERT_EQ(dr_load_sizes(registry, "ProgramWith", eight, true, QSize(1920, 1080)), 1);
  EXPECT_EQ(eight.size1, 70);
  EXPECT_EQ(eight.size2, 80);
}

TEST_F(WindowSizesTest, SizesLargerThanTheDesktopAreCutWithPositionZero) {
  ASSERT_EQ(dr_save_sizes(registry, "big", WindowSizes{0, 0, 3000, 700, 100, 200, 0, 0}), 0);
  WindowSizes sizes{};
  ASSERT_EQ(dr_load_sizes(registry, "big", sizes, false, QSize(1280, 1024)), 1);
  EXPECT_EQ(sizes.anz_x, 1280);
  EXPECT_EQ(sizes.pos_x, 0);
  EXPECT_EQ(sizes.anz_y, 700);  // fits: kept with its position
  EXPECT_EQ(sizes.pos_y, 200);

  ASSERT_EQ(dr_load_sizes(registry, "big", sizes, false, QSize(800, 600)), 1);
  EXPECT_EQ(sizes.anz_x, 800);
  EXPECT_EQ(sizes.anz_y, 600);
  EXPECT_EQ(sizes.pos_y, 0);
}

TEST_F(WindowSizesTest, ProgramNamesWithSeparatorsStayInTheirOwnKey) {
  ASSERT_EQ(dr_save_sizes(registry, "HW/p/wdim", WindowSizes{1, 1, 1, 1, 1, 1, 1, 1}), 0);
  ASSERT_EQ(dr_save_sizes(registry, "..\\..\\x", WindowSizes{2, 2, 2, 2, 2, 2, 2, 2}), 0);
  EXPECT_EQ(registry.subkeys("Sizes").size(), 2);
  EXPECT_EQ(registry.subkeys(""), QStringList{"Sizes"});
  WindowSizes sizes{};
  ASSERT_EQ(dr_load_sizes(registry, "HW/p/wdim", sizes, true, std::nullopt), 1);
  EXPECT_EQ(sizes.geo_x, 1);
}

TEST_F(WindowSizesTest, ProgramThreadsSaveSizesWhileTheMainThreadSavesSettings) {
  reset_settings_store();
  settings_store().load_settings(true);
  std::thread program([] {
    for (int i = 0; i < 40; ++i) {
      ASSERT_EQ(dr_save_sizes(QString("prog%1").arg(i % 4), WindowSizes{i, i, i, i, i, i, i, i}),
                0);
    }
  });
  for (int i = 0; i < 20; ++i) {
    mutable_settings().ping_timer = i;
    ASSERT_EQ(settings_store().save_settings(true), 0);
  }
  program.join();
  Registry fresh;
  EXPECT_EQ(fresh.read_int("Settings", "Ping Timer"), 19);
  WindowSizes sizes{};
  ASSERT_EQ(dr_load_sizes(fresh, "prog3", sizes, true, std::nullopt), 1);
  EXPECT_EQ(sizes.size2, 39);
  reset_settings_store();
}

TEST_F(WindowSizesTest, FileViewerSizes) {
  EXPECT_FALSE(load_viewer_size(registry, ViewerWindow::Show));
  ASSERT_TRUE(save_viewer_size(registry, ViewerWindow::Show, QSize(640, 480)));
  ASSERT_TRUE(save_viewer_size(registry, ViewerWindow::Choose, QSize(300, 200)));
  EXPECT_EQ(load_viewer_size(registry, ViewerWindow::Show), QSize(640, 480));
  EXPECT_EQ(load_viewer_size(registry, ViewerWindow::Choose), QSize(300, 200));
  EXPECT_FALSE(load_viewer_size(registry, ViewerWindow::Help));
  EXPECT_EQ(registry.read_dword("DFA\\Show", "Width"), 640u);
}

}  // namespace
}  // namespace kovw::shell
