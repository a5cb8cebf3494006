// zintavel --check: silent on the default presentation, and for each kind of
// trouble a maker runs into, a line naming the file (and the line of a text).
#include "app/check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/loading.h"
#include "assets/pages.h"
#include "show/show_length.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
const std::string Demo = ZINTAVEL_DEMO_DIR;

bool Says(const std::string& said, const std::string& what) { return said.find(what) != std::string::npos; }


void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  fs::remove(path);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Music that loads and fits, so the picture cases do not decode the MP3 each time.
MusicFacts GoodMusic(const std::string&, const std::string&) { return {true, 150, true, 54, 0}; }

struct Checked {
  int code;
  std::string output;
};

Checked Check(const std::string& dir, MusicProber probe = GoodMusic) {
  std::FILE* out = std::tmpfile();
  const int code = CheckPresentation(dir, probe, out);
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  std::fclose(out);
  return {code, text};
}

class CheckTest : public ::testing::Test {
 protected:
  // The fonts the text checks measure with.
  static void SetUpTestSuite() {
    PresentationDirectory = Demo;
    CaptureStderrOf([] { LoadAssets(); });
  }
};

std::vector<std::string> PageProblems(const std::string& text) {
  return CheckPageText("p.txt", reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  return all;
}

}  // namespace

TEST_F(CheckTest, DefaultPresentationHasNothingToSay) {
  const ProgramResult r = RunProgram("--check --dir " + Demo);
  EXPECT_EQ(r.code, 0) << r.output;
  EXPECT_FALSE(Says(r.output, "zintavel:")) << r.output;
  EXPECT_TRUE(Says(r.output, "0 problems")) << r.output;
  // The summary counts what start-up made (loaded in this process too).
  EXPECT_TRUE(Says(r.output, "pages1.txt " + std::to_string(PagesOneCount) + ", pages2.txt " +
                                 std::to_string(PagesTwoCount)))
      << r.output;
  const std::uint32_t endMs = BeforePartTwoMs + WholePartTwoMs() + ClosingMs;
  const std::uint32_t tenths = (endMs + 50) / 100;
  char end[32];
  std::snprintf(end, sizeof end, "ends at %u:%02u.%u", tenths / 600, tenths / 10 % 60, tenths % 10);
  EXPECT_TRUE(Says(r.output, end)) << end << "\n" << r.output;
}

TEST_F(CheckTest, EachBrokenFileIsNamed) {
  const std::vector<std::uint8_t> card = ReadAll(Demo + "/data/card.pcx");
  const std::vector<std::uint8_t> jpeg = ReadAll(Demo + "/data/img04.jpg");
  struct Case {
    const char* file;
    const char* kind;
  };
  for (const Case c : {Case{"card.pcx", "directory"}, Case{"spr03.pcx", "fifo"}, Case{"fig4.pcx", "cut"},
                       Case{"font3.pcx", "cut"}, Case{"img04.jpg", "cut"}, Case{"img15.jpg", "wrong size"},
                       Case{"font1.pcx", "no markers"}, Case{"pages2.txt", "directory"},
                       Case{"ticker.txt", "fifo"}, Case{"img07.jpg", "missing"}}) {
    SCOPED_TRACE(std::string(c.file) + " " + c.kind);
    TempDir dir;
    const std::string show = LinkedShow(dir, Demo), path = show + "/data/" + c.file;
    fs::remove(path);
    const std::string kind = c.kind;
    if (kind == "directory") fs::create_directory(path);
    if (kind == "fifo") {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    }
    if (kind == "cut") {
      const std::vector<std::uint8_t> whole = ReadAll(Demo + "/data/" + c.file);
      Write(path, std::vector<std::uint8_t>(whole.begin(), whole.begin() + whole.size() / 3));
    }
    if (kind == "wrong size") Write(path, jpeg);  // 320x240 in a 256x256 slot
    if (kind == "no markers") {
      std::vector<std::uint8_t> sheet = ReadAll(Demo + "/data/font1.pcx");
      std::replace(sheet.begin() + 128, sheet.end() - 768, std::uint8_t{255}, std::uint8_t{0});
      Write(path, sheet);
    }
    const Checked r = Check(show);
    EXPECT_EQ(r.code, 1) << r.output;
    EXPECT_TRUE(Says(r.output, "zintavel: " + path + ": ")) << r.output;
    EXPECT_TRUE(Says(r.output, "problem")) << r.output;  // the summary still comes
  }
}

TEST_F(CheckTest, MusicThatDoesNotLoadOrIsCutShortIsNamed) {
  // With the real decoders: a module cut at several lengths, and an MP3 that
  // is a directory.
  const std::vector<std::uint8_t> tune = ReadAll(Demo + "/tune.it");
  for (std::size_t percent : {10, 50, 99}) {
    SCOPED_TRACE(percent);
    TempDir dir;
    const std::string show = LinkedShow(dir, Demo);
    Write(show + "/tune.it", std::vector<std::uint8_t>(tune.begin(), tune.begin() + tune.size() * percent / 100));
    fs::remove(show + "/intro.mp3");
    fs::create_directory(show + "/intro.mp3");
    const Checked r = Check(show, ProbeMusic);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Says(r.output, show + "/tune.it: cut short")) << r.output;
    EXPECT_TRUE(Says(r.output, show + "/intro.mp3: is a directory")) << r.output;
  }
}

TEST_F(CheckTest, StreamLengthAgainstPartOne) {
  EXPECT_TRUE(CheckStreamLength("a.mp3", 54.0, 0.5f).empty());
  EXPECT_TRUE(CheckStreamLength("a.mp3", 54.9, 0.5f).empty());
  EXPECT_TRUE(CheckStreamLength("a.mp3", 56.0, 0.0f).empty());  // a silent tail is heard as nothing
  const auto shortOne = CheckStreamLength("a.mp3", 40.0, 0.0f);
  ASSERT_EQ(shortOne.size(), 1u);
  EXPECT_TRUE(Says(shortOne[0], "a.mp3: plays 40.0 s")) << shortOne[0];
  EXPECT_TRUE(Says(shortOne[0], "last 14.0 s of part one are silent")) << shortOne[0];
  const auto loudTail = CheckStreamLength("a.mp3", 58.0, 0.3f);
  ASSERT_EQ(loudTail.size(), 1u);
  EXPECT_TRUE(Says(loudTail[0], "last 4.0 s are cut off")) << loudTail[0];
}

TEST_F(CheckTest, CharactersWithoutAGlyphAreNamedWithTheirLine) {
  std::vector<std::string> p = PageProblems("fine\n}\nall good\nbad # here\n}\n");
  ASSERT_EQ(p.size(), 1u) << Joined(p);
  EXPECT_TRUE(Says(p[0], "p.txt: line 4: no glyph in font3.pcx for '#'")) << p[0];

  // A letter the font holds reads the same from Latin-1 and from UTF-8; a
  // character beyond Latin-1 is named, as written, with its line.
  EXPECT_TRUE(PageProblems("k\xE4rlek\n}\n").empty());
  EXPECT_TRUE(PageProblems("k\xC3\xA4rlek\r\n}\r\n").empty());
  p = PageProblems("k\xC3\xA4rlek\n}\nit\xE2\x80\x99s \xE2\x80\x94 it\xE2\x80\x99s\n}\n");
  ASSERT_EQ(p.size(), 1u) << Joined(p);
  EXPECT_TRUE(Says(p[0], "p.txt: line 3: '\xE2\x80\x99' (U+2019), '\xE2\x80\x94' (U+2014) are no letter of the fonts"))
      << p[0];
  // Bytes that are not well-formed UTF-8 are Latin-1, as before.
  p = PageProblems("k\xC3\x28rlek\n}\n");
  ASSERT_EQ(p.size(), 1u) << Joined(p);
  EXPECT_TRUE(Says(p[0], "line 1: no glyph in font3.pcx for")) << p[0];

  // The ticker's font has no capitals; its lines are counted too.
  const std::string ticker = "all lower case\nthen One capital\n";
  CaptureStderrOf([&] {
    BuildTickerStripFromMemory("t.txt", reinterpret_cast<const std::uint8_t*>(ticker.data()), ticker.size());
  });
  p = CheckTickerText("t.txt");
  ASSERT_GE(p.size(), 1u);
  EXPECT_TRUE(Says(p[0], "t.txt: line 2: no glyph in font1.pcx for 'O'")) << Joined(p);
}

TEST_F(CheckTest, PageGeometryAndTickerLength) {
  // Too wide, too many lines, text after the last page.
  std::string text = "short\n" + std::string(40, 'm') + "\n}\n";
  for (int i = 1; i <= 16; ++i) text += "line\n";
  text += "}\nleft over\n";
  const std::vector<std::string> p = PageProblems(text);
  const std::string all = Joined(p);
  EXPECT_EQ(p.size(), 3u) << all;
  EXPECT_TRUE(Says(all, "p.txt: line 2 runs")) << all;
  EXPECT_TRUE(Says(all, "page 2 has 16 lines from line 18 on")) << all;  // its 15th line is file line 18
  EXPECT_TRUE(Says(all, "lines from 21 on come after the last '}'")) << all;
  // Exactly 14 lines, each as wide as fits: nothing to say.
  std::string full;
  for (int i = 0; i < 14; ++i) full += "ok\n";
  EXPECT_TRUE(PageProblems(full + "}\n").empty());

  auto tickerSays = [](const std::string& t) {
    CaptureStderrOf([&] {
      BuildTickerStripFromMemory("t.txt", reinterpret_cast<const std::uint8_t*>(t.data()), t.size());
    });
    return Joined(CheckTickerText("t.txt"));
  };
  EXPECT_TRUE(Says(tickerSays(""), "empty")) << tickerSays("");
  EXPECT_TRUE(Says(tickerSays("hi"), "narrower than the screen"));
  // 405 blanks of 20 px: 8,100 px, 17 px short of what fills the scene.
  EXPECT_TRUE(Says(tickerSays(std::string(405, ' ')), "starts over 76.6 s into the scanner scene"))
      << tickerSays(std::string(405, ' '));
  EXPECT_EQ(tickerSays(std::string(406, ' ')), "");
}

TEST_F(CheckTest, CheckAndWatchDoNotGoWithARecording) {
  TempDir dir;
  for (const std::string& args : {"--check --record " + dir.Path("r"), "--watch --record " + dir.Path("r"),
                                 std::string("--check --watch")}) {
    const ProgramResult r = RunProgram(args + " --dir " + Demo);
    EXPECT_EQ(r.code, 2) << args << "\n" << r.output;
    EXPECT_TRUE(Says(r.output, "goes with")) << r.output;
  }
  // A directory that holds none of the files: said, and exit 1.
  fs::create_directories(dir.Path("empty/data"));
  const ProgramResult empty = RunProgram("--check --dir " + dir.Path("empty"));
  EXPECT_EQ(empty.code, 1) << empty.output;
  EXPECT_TRUE(Says(empty.output, "holds none of the presentation's files")) << empty.output;
}

TEST_F(CheckTest, BinaryPagesAreSummedUpNotListed) {
  TempDir dir;
  const std::string show = LinkedShow(dir, Demo), path = show + "/data/pages1.txt";
  fs::remove(path);
  std::vector<std::uint8_t> noise(64 * 1024);
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
  Write(path, noise);
  const Checked r = Check(show);
  EXPECT_EQ(r.code, 1);
  int lines = 0;
  for (std::size_t at = 0; (at = r.output.find(path + ":", at)) != std::string::npos; ++at) ++lines;
  EXPECT_LE(lines, 22) << r.output;
  EXPECT_TRUE(Says(r.output, path + ": ... and ")) << r.output;
}
