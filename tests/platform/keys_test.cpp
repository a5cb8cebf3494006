// The player's key table: every name is a key SDL knows, none is bound twice,
// every action has a key, and --help lists them all, wrapped at 80 columns.
#include "platform/keys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <utility>

#include "app/options.h"

TEST(KeysTest, EveryNameIsAKeyAndNoneIsBoundTwice) {
  std::set<std::pair<SDL_Keycode, bool>> seen;
  std::set<KeyAction> actions;
  for (int k = 0; k < PlayerKeyCount; ++k) {
    EXPECT_TRUE(actions.insert(PlayerKeys[k].action).second) << PlayerKeys[k].does;
    ASSERT_NE(PlayerKeys[k].keys[0], nullptr) << PlayerKeys[k].does;
    for (int n = 0; n < 4 && PlayerKeys[k].keys[n]; ++n) {
      std::string name = PlayerKeys[k].keys[n];
      const bool alt = name.rfind("Alt+", 0) == 0;
      const SDL_Keycode code = SDL_GetKeyFromName(alt ? name.c_str() + 4 : name.c_str());
      EXPECT_NE(code, SDLK_UNKNOWN) << name;
      EXPECT_TRUE(seen.insert({code, alt}).second) << name << " is bound twice";
    }
  }
  EXPECT_EQ(actions.size(), static_cast<std::size_t>(KeyAction::Screenshot) + 1);
  EXPECT_EQ(KeyShown("PageUp"), "Page Up");
  EXPECT_EQ(KeyShown("Alt+Return"), "Alt+Enter");
  EXPECT_EQ(KeyShown("q"), "Q");
  EXPECT_EQ(KeyShown("Keypad *"), "Keypad *");
}

TEST(KeysTest, HelpListsEveryKeyWithinItsColumns) {
  const std::string help = ProgramHelpText();
  const auto keys = help.find(std::string("\n") + KeysHeading + "\n");
  ASSERT_NE(keys, std::string::npos);
  for (int k = 0; k < PlayerKeyCount; ++k)
    EXPECT_NE(help.find("  " + KeysShown(PlayerKeys[k]), keys), std::string::npos) << KeysShown(PlayerKeys[k]);
  std::istringstream lines(help.substr(keys));
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}
