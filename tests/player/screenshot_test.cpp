// F12's files: where they go when the working directory will not take them,
// and what the player shows of their name.
#include "player/screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/test_support.h"

namespace fs = std::filesystem;

TEST(ScreenshotTest, FallsBackToTheNextDirectoryThatTakesIt) {
  TempDir dir;
  std::ofstream(dir.Path("file")) << "not a directory";
  fs::create_directory(dir.Path("pictures"));
  const auto frame = MakePicture(0x00336699);
  std::string written, error;
  // A file where a directory should be fails even for root, unlike permissions.
  ASSERT_TRUE(SaveScreenshot(*frame, 640, 480, 83616, {dir.Path("file"), dir.Path("pictures")}, written, error))
      << error;
  const std::string one = dir.Path("pictures/zintavel-01m23.616s.png");
  EXPECT_EQ(written, one + " and " + dir.Path("pictures/zintavel-01m23.616s-640x480.png"));
  EXPECT_TRUE(fs::exists(one));
  EXPECT_EQ(ScreenshotShownName(written), "ZINTAVEL-01M23.616S.PNG");

  written.clear();
  EXPECT_FALSE(SaveScreenshot(*frame, 320, 240, 0, {dir.Path("file")}, written, error));
  EXPECT_NE(error.find(dir.Path("file/zintavel-00m00.000s.png")), std::string::npos) << error;
}

TEST(ScreenshotTest, DirectoriesFollowTheUsersSettings) {
  TempDir dir;
  const char* saved[] = {"HOME", "XDG_PICTURES_DIR", "XDG_CONFIG_HOME"};
  std::string before[3];
  bool had[3];
  for (int i = 0; i < 3; ++i) {
    const char* v = std::getenv(saved[i]);
    had[i] = v != nullptr, before[i] = v ? v : "";
  }
  ::setenv("HOME", "/home/viewer", 1);
  ::setenv("XDG_PICTURES_DIR", "/media/shots", 1);
  EXPECT_EQ(ScreenshotDirectories(), (std::vector<std::string>{".", "/media/shots", "/home/viewer"}));
  // Without the variable, the user-dirs file names it relative to $HOME.
  ::unsetenv("XDG_PICTURES_DIR");
  ::setenv("XDG_CONFIG_HOME", dir.Path("").c_str(), 1);
  std::ofstream(dir.Path("user-dirs.dirs")) << "# written by xdg-user-dirs-update\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
  EXPECT_EQ(ScreenshotDirectories(), (std::vector<std::string>{".", "/home/viewer/Bilder", "/home/viewer"}));
  fs::remove(dir.Path("user-dirs.dirs"));
  EXPECT_EQ(ScreenshotDirectories(), (std::vector<std::string>{".", "/home/viewer"}));
  for (int i = 0; i < 3; ++i) had[i] ? (void)::setenv(saved[i], before[i].c_str(), 1) : (void)::unsetenv(saved[i]);
}
