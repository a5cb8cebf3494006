// The manual page made from --help: every option of the help and every key of
// the player's table is in it, and groff reads it without a warning.
#include "manpage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "app/options.h"
#include "platform/keys.h"
#include "support/test_support.h"

namespace {

// Every -x and --long-name the text names.
std::set<std::string> OptionsNamedIn(const std::string& text) {
  std::set<std::string> names;
  const std::regex option("(^|[\\s,\\[])(--?[a-zA-Z][a-z-]*)");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
    names.insert((*it)[2]);
  return names;
}

std::string Unroff(std::string page) {
  return std::regex_replace(std::regex_replace(page, std::regex("\\\\f[BIRP]"), ""), std::regex("\\\\-"), "-");
}

}  // namespace

TEST(ManualPageTest, EveryOptionOfTheHelpIsInTheBuiltPage) {
  const std::set<std::string> help = OptionsNamedIn(ProgramHelp);
  ASSERT_GE(help.size(), 22u);  // the long forms of every option and six short ones
  for (const char* known : {"--gentle", "--every", "--start-tick", "--version", "--scale", "-d", "--record"})
    EXPECT_EQ(help.count(known), 1u) << known;

  std::ifstream built(ZINTAVEL_BUILD_DIR "/zintavel.6");
  ASSERT_TRUE(built) << "the build makes zintavel.6";
  std::stringstream text;
  text << built.rdbuf();
  const std::string page = text.str();
  EXPECT_EQ(page, ManualPage(ProgramHelpText(), page.substr(page.find("\"Zintavel ") + 10, 5)));
  const std::set<std::string> inPage = OptionsNamedIn(Unroff(page));
  for (const std::string& name : help) EXPECT_EQ(inPage.count(name), 1u) << name << " is missing from the page";
  // Every key of the player's table, in KEYS and not among the options.
  const std::string keys = page.substr(page.find(".SH KEYS"));
  for (int k = 0; k < PlayerKeyCount; ++k)
    for (int n = 0; n < 4 && PlayerKeys[k].keys[n]; ++n)
      EXPECT_NE(keys.find(".B " + RoffText(KeyShown(PlayerKeys[k].keys[n])) + "\n"), std::string::npos)
          << PlayerKeys[k].keys[n];
  EXPECT_EQ(page.find("Page Up"), page.rfind("Page Up")) << "keys listed twice";
  // The option lines' continuations stay with their option.
  EXPECT_NE(page.find(".TP\n\\fB\\-\\-every\\fR \\fIN\\fR\nwrite only every Nth frame"), std::string::npos) << page;
}

TEST(ManualPageTest, RoffControlCharactersAreGuarded) {
  EXPECT_EQ(RoffText("a-b \\ c"), "a\\-b \\\\ c");
  EXPECT_EQ(RoffText(".not a macro"), "\\&.not a macro");
  EXPECT_EQ(RoffText("'not a macro"), "\\&'not a macro");
  const std::string page = ManualPage("usage: x\nIntro line.\n\n  -a, --all N   does\n                      more\n.odd\n", "9");
  EXPECT_NE(page.find(".SH DESCRIPTION\nIntro line.\n.SH OPTIONS\n.TP\n\\fB\\-a\\fR, \\fB\\-\\-all\\fR \\fIN\\fR\ndoes\nmore\n.PP\n\\&.odd\n"),
            std::string::npos)
      << page;
}

TEST(ManualPageTest, GroffReadsTheBuiltPageWithoutWarnings) {
  if (std::system("command -v groff > /dev/null") != 0) GTEST_SKIP() << "no groff here";
  TempDir dir;
  const std::string log = dir.Path("groff.txt");
  const std::string command = "groff -man -ww -z -Tutf8 " ZINTAVEL_BUILD_DIR "/zintavel.6 > " + log + " 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  const std::vector<std::uint8_t> out = ReadAll(log);
  EXPECT_TRUE(out.empty()) << std::string(out.begin(), out.end());
}
