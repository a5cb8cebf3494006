// The set-up card's choices kept between runs: where, written whole, read
// back, and a hand-edited file that says odd things.
#include "player/setup_choices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "support/test_support.h"

namespace {

void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Sets an environment variable for the test's span.
struct Env {
  std::string name, before;
  bool had;
  Env(const char* n, const char* value) : name(n), had(std::getenv(n) != nullptr) {
    if (had) before = std::getenv(n);
    value ? ::setenv(n, value, 1) : ::unsetenv(n);
  }
  ~Env() { had ? ::setenv(name.c_str(), before.c_str(), 1) : ::unsetenv(name.c_str()); }
};

}  // namespace

TEST(SetupChoicesTest, KeptInTheConfigFolderAndReadBackAsWritten) {
  {
    Env config("XDG_CONFIG_HOME", "/somewhere/config"), home("HOME", "/home/someone");
    EXPECT_EQ(SetupChoicesPath(), "/somewhere/config/zintavel/settings");
  }
  {
    // A relative XDG_CONFIG_HOME is not a folder to trust.
    Env config("XDG_CONFIG_HOME", "relative"), home("HOME", "/home/someone");
    EXPECT_EQ(SetupChoicesPath(), "/home/someone/.config/zintavel/settings");
  }
  {
    Env config("XDG_CONFIG_HOME", nullptr), home("HOME", nullptr);
    EXPECT_EQ(SetupChoicesPath(), "");
  }

  TempDir dir;
  // Both folders made on a new account; every value round trips.
  const std::string path = dir.Path("config/zintavel/settings");
  std::string error, warning;
  SetupChoices none;
  EXPECT_FALSE(ReadSetupChoices(path, none, warning));
  EXPECT_EQ(warning, "");
  EXPECT_EQ(none, SetupChoices{});
  for (const SetupChoices& c : {SetupChoices{false, 3, true, false}, SetupChoices{true, 0, false, true}}) {
    ASSERT_TRUE(WriteSetupChoices(path, c, error)) << error;
    SetupChoices back{!c.fullScreen, 7, !c.gentle, !c.sound};
    EXPECT_TRUE(ReadSetupChoices(path, back, warning));
    EXPECT_EQ(warning, "");
    EXPECT_EQ(back, c);
  }

  // A folder that cannot be made: one line naming it.
  Put(dir.Path("file"), "x");
  EXPECT_FALSE(WriteSetupChoices(dir.Path("file/zintavel/settings"), SetupChoices{}, error));
  EXPECT_NE(error.find("file/zintavel"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(SetupChoicesTest, WhatCannotBeReadIsPassedOverWithOneLine) {
  TempDir dir;
  const std::string path = dir.Path("settings");
  // Spaces and CRLF as an editor leaves them; bad values and names; a
  // display out of range; a line with a newline's worth of junk.
  Put(path, "# mine\r\n screen = window \r\ndisplay=99\ngentle=yes\nsound=off\nvolume=3\n\x01\x02\ndisplay=-1\n");
  SetupChoices c;
  std::string warning;
  EXPECT_TRUE(ReadSetupChoices(path, c, warning));
  EXPECT_FALSE(c.fullScreen);
  EXPECT_EQ(c.display, 0);
  EXPECT_FALSE(c.gentle);
  EXPECT_FALSE(c.sound);
  EXPECT_NE(warning.find(path + ": line 3 (\"display=99\") and 4 more not understood"), std::string::npos) << warning;
  EXPECT_EQ(warning.find('\n'), std::string::npos);

  // A file that is not text at all reads as nothing but defaults.
  std::string binary(5000, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7);
  Put(path, binary);
  SetupChoices d;
  EXPECT_TRUE(ReadSetupChoices(path, d, warning));
  EXPECT_FALSE(warning.empty());
  EXPECT_EQ(warning.find('\n'), std::string::npos);
}
