// The command line: both long-option forms, short forms, plain-digit numbers
// and the combinations that make no sense.
#include "app/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

struct Parsed {
  ParseResult result;
  ProgramOptions options;
  std::string error;
};

Parsed Parse(std::initializer_list<const char*> args) {
  std::vector<std::string> words{"zintavel"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  Parsed p;
  p.result = ParseOptions(static_cast<int>(words.size()), argv.data(), p.options, p.error);
  return p;
}

}  // namespace

TEST(OptionsTest, LongFormsWithSpaceOrEqualsAndShortForms) {
  Parsed a = Parse({"--fps=30", "--quit-at", "1500", "-w", "-m", "--dir=/x", "-r", "out.mkv", "--scale=3"});
  ASSERT_EQ(a.result, ParseResult::Run) << a.error;
  EXPECT_EQ(a.options.fps, 30u);
  EXPECT_EQ(a.options.quitAt, 1500u);
  EXPECT_TRUE(a.options.window);
  EXPECT_TRUE(a.options.mute);
  EXPECT_EQ(a.options.dir, "/x");
  EXPECT_TRUE(a.options.recordGiven);
  EXPECT_EQ(a.options.record, "out.mkv");
  EXPECT_EQ(a.options.scaleFactor, 3);

  Parsed b = Parse({"--scale", "fit", "--display=1", "--gentle", "--no-pacing", "--depth", "16", "--double"});
  ASSERT_EQ(b.result, ParseResult::Run) << b.error;
  EXPECT_EQ(b.options.scaleMode, ScaleMode::Fit);
  EXPECT_FALSE(b.options.scaleFactor);
  EXPECT_EQ(b.options.display, 1);
  EXPECT_TRUE(b.options.gentle && b.options.noPacing && b.options.forceDoubling);
  EXPECT_EQ(b.options.depth, 16);

  EXPECT_EQ(Parse({"--help"}).result, ParseResult::Help);
  EXPECT_EQ(Parse({"-V"}).result, ParseResult::Version);
  // The parser starts afresh each time (getopt keeps global state).
  EXPECT_EQ(Parse({"--fps", "7"}).options.fps, 7u);
}

TEST(OptionsTest, NumbersArePlainDigitsInRange) {
  EXPECT_EQ(ParseNumber("0", 0, 5), 0u);
  EXPECT_EQ(ParseNumber("4294967295", 0, 0xFFFFFFFFull), 4294967295u);
  for (const char* bad : {"", " 5", "+5", "-5", "5 ", "0x10", "5.0", "4294967296", "99999999999999999999999"})
    EXPECT_FALSE(ParseNumber(bad, 0, 0xFFFFFFFFull)) << '"' << bad << '"';
  EXPECT_FALSE(ParseNumber("6", 0, 5));
  EXPECT_FALSE(ParseNumber("0", 1, 5));
}

TEST(OptionsTest, BadCommandLinesSayWhatIsWrong) {
  const std::initializer_list<const char*> cases[] = {
      {"--bogus"}, {"-x"},         {"--fps"},           {"--fps= 5"},   {"--fps", "+5"},
      {"--depth", "17"}, {"--scale", "9"}, {"--scale", "0"}, {"--scale", "big"}, {"--record", ""},
      {"--dir="},  {"stray"},      {"--scale", "2"},  // a factor without --record
      {"--display", "-1"}, {"--window=yes"},
      {"--every\n--"}, {"stray\nline"}, {"--fps", "1\r\n2"},  // quoted arguments stay on one line
  };
  for (const auto& c : cases) {
    Parsed p = Parse(c);
    EXPECT_EQ(p.result, ParseResult::Bad) << *c.begin();
    EXPECT_FALSE(p.error.empty());
    EXPECT_EQ(p.error.find('\n'), std::string::npos);
  }
  EXPECT_EQ(Parse({"--fps"}).error, "--fps needs a value");
  EXPECT_EQ(Parse({"--bogus=1"}).error, "unknown option '--bogus'");
  EXPECT_EQ(Parse({"-x"}).error, "unknown option '-x'");
  EXPECT_EQ(Parse({"--window=yes"}).error, "--window takes no value");
  EXPECT_EQ(Parse({"--gentle=1"}).error, "--gentle takes no value");
  EXPECT_EQ(Parse({"--st", "1"}).error, "option '--st' is ambiguous: it may be --start-tick, --start-at, --stop-at");
  EXPECT_EQ(Parse({"--s=1"}).error.find("option '--s' is ambiguous: it may be --scale, "), 0u);
  EXPECT_EQ(Parse({"--wi"}).result, ParseResult::Run);  // one candidate: taken
}

TEST(OptionsTest, ShowTimesAsFfmpegWritesThem) {
  EXPECT_EQ(ParseShowTime("0"), 0u);
  EXPECT_EQ(ParseShowTime("90"), 90000u);
  EXPECT_EQ(ParseShowTime("90.5"), 90500u);
  EXPECT_EQ(ParseShowTime("1:30"), 90000u);
  EXPECT_EQ(ParseShowTime("1:30.5"), 90500u);
  EXPECT_EQ(ParseShowTime("00:01:30"), 90000u);
  EXPECT_EQ(ParseShowTime("1:02:03.004"), 3723004u);
  EXPECT_EQ(ParseShowTime("74.1259"), 74125u);  // past the millisecond: dropped
  EXPECT_EQ(ParseShowTime("4294967.295"), 4294967295u);
  for (const char* bad : {"", "-5", "+5", " 5", "5 ", "1:60", "1:2:3:4", "1.", ".5", "1:", ":30", "1e3", "5s",
                          "4294967.296", "99999999999"})
    EXPECT_FALSE(ParseShowTime(bad)) << '"' << bad << '"';

  const Parsed clip = Parse({"--record", "x.mkv", "--start-at=1:14", "--stop-at", "84"});
  ASSERT_EQ(clip.result, ParseResult::Run) << clip.error;
  EXPECT_EQ(clip.options.startAt, 74000u);
  EXPECT_EQ(clip.options.stopAt, 84000u);
  const Parsed garbled = Parse({"--start-at", "1:x"});
  EXPECT_EQ(garbled.result, ParseResult::Bad);
  EXPECT_NE(garbled.error.find("--start-at takes a time such as 90"), std::string::npos) << garbled.error;
  const Parsed live = Parse({"--stop-at", "10"});
  EXPECT_EQ(live.result, ParseResult::Bad);
  EXPECT_NE(live.error.find("--stop-at goes with --record"), std::string::npos) << live.error;
  const Parsed empty = Parse({"-r", "d", "--start-at", "20", "--stop-at", "20"});
  EXPECT_EQ(empty.result, ParseResult::Bad);
  EXPECT_NE(empty.error.find("--stop-at must come after --start-at"), std::string::npos) << empty.error;
}
