// Paths that are not what a presentation expects (directories, fifos, cut or
// oversized files) and data that asks for too much: each gives one line naming
// the file and the problem, the behaviour of the file's absence, and bounded memory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/font.h"
#include "assets/inventory.h"
#include "assets/jpeg.h"
#include "assets/pages.h"
#include "assets/pcx.h"
#include "jpeg_writer.h"
#include "pcx_writer.h"
#include "sound/audio_engine.h"
#include "support/test_support.h"

namespace {

const std::string Demo = ZINTAVEL_DEMO_DIR;

int Lines(const std::string& said) { return static_cast<int>(std::count(said.begin(), said.end(), '\n')); }
bool Says(const std::string& said, const std::string& what) { return said.find(what) != std::string::npos; }

// A presentation directory beside the default one: the default data and music,
// except for what the test puts in place of `replaced`.
std::string PresentationWithout(const TempDir& dir, const std::string& replaced) {
  namespace fs = std::filesystem;
  const std::string root = dir.Path("show");
  fs::create_directory(root);
  for (const char* name : {"data", "tune.it", "intro.mp3"}) {
    if (name != replaced) fs::create_symlink(Demo + "/" + name, root + "/" + name);
  }
  return root;
}

}  // namespace

TEST(RobustnessTest, DirectoryOrFifoNamedTuneItIsFatalWithItsLine) {
  for (bool fifo : {false, true}) {
    TempDir dir;
    const std::string show = PresentationWithout(dir, "tune.it");
    if (fifo) {
      ASSERT_EQ(::mkfifo((show + "/tune.it").c_str(), 0600), 0);
    } else {
      std::filesystem::create_directory(show + "/tune.it");
    }
    ProgramResult r = RunProgram("--dir " + show + " --record " + dir.Path("rec") + " --fps 5 --quit-at 100");
    EXPECT_EQ(r.code, 1) << r.output;
    EXPECT_TRUE(Says(r.output, "tune.it: " + std::string(fifo ? "is a fifo" : "is a directory") + ", not a file"))
        << r.output;
    EXPECT_FALSE(Says(r.output, "terminate")) << r.output;
  }
}

TEST(RobustnessTest, SoundFilesThatAreDirectoriesOrCutShort) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path("intro.mp3"));
  std::filesystem::create_directory(dir.Path("tune.it"));
  AudioEngine engine;
  std::string said = CaptureStderrOf([&] { EXPECT_FALSE(engine.LoadStream(dir.Path("intro.mp3"))); });
  EXPECT_TRUE(Says(said, "intro.mp3: is a directory, not a file; part one runs silent")) << said;
  EXPECT_EQ(Lines(said), 1);
  said = CaptureStderrOf([&] { EXPECT_FALSE(engine.LoadModule(dir.Path("tune.it"), true, true)); });
  EXPECT_TRUE(Says(said, "tune.it: is a directory, not a file")) << said;
  EXPECT_EQ(Lines(said), 1);

  // The first 400,000 bytes of the 56-second stream still decode: say how much.
  const std::vector<std::uint8_t> mp3 = ReadAll(Demo + "/intro.mp3");
  ASSERT_GT(mp3.size(), 400000u);
  std::ofstream(dir.Path("cut.mp3"), std::ios::binary).write(reinterpret_cast<const char*>(mp3.data()), 400000);
  said = CaptureStderrOf([&] { EXPECT_TRUE(engine.LoadStream(dir.Path("cut.mp3"))); });
  EXPECT_TRUE(Says(said, "cut.mp3: looks cut short: it plays 16.6 s of the 56.0 s")) << said;
  said = CaptureStderrOf([&] { EXPECT_TRUE(engine.LoadStream(Demo + "/intro.mp3")); });
  EXPECT_EQ(said, "");
}

TEST(RobustnessTest, HugeGlyphKeepsTheTickerStripBounded) {
  // One glyph as wide as the sheet allows: 65,535 of them once asked for 10.7 GB.
  TempDir dir;
  std::vector<std::uint8_t> sheet(1024 * 40, 9);
  sheet[1023] = 255;
  ASSERT_TRUE(WritePcxFile(dir.Path("wide.pcx"), 1024, 40, sheet.data(), std::vector<std::uint8_t>(768).data()));
  const BitmapFont saved = LargeFont;
  LargeFont = BuildBitmapFont(dir.Path("wide.pcx").c_str(), "m", 20, 1024, 40);
  ASSERT_EQ(LargeFont.glyphWidths[0], 1024);
  const std::string text(65535, 'm');
  const std::string said = CaptureStderrOf([&] {
    BuildTickerStripFromMemory("ticker.txt", reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  });
  LargeFont = saved;
  EXPECT_EQ(TickerWidth, 64 * 1024);
  EXPECT_EQ(TickerStrip.size(), 64u * 1024 * 40);  // 10 MB
  EXPECT_TRUE(Says(said, "ticker.txt: the ticker would be 67107840 pixels wide (at most 65536); it is cut after 64 "
                         "of its 65535 bytes, in line 1"))
      << said;
  EXPECT_EQ(Lines(said), 1);

  // Past the byte cap too: still one line for the file.
  const std::string longer(70000, 'm');
  const std::string both = CaptureStderrOf([&] {
    LargeFont = BuildBitmapFont(dir.Path("wide.pcx").c_str(), "m", 20, 1024, 40);
    BuildTickerStripFromMemory("ticker.txt", reinterpret_cast<const std::uint8_t*>(longer.data()), longer.size());
  });
  LargeFont = saved;
  EXPECT_TRUE(Says(both, "it is cut after 64 of its 65535 first bytes")) << both;
  EXPECT_EQ(Lines(both), 1) << both;
}

TEST(RobustnessTest, BrokenPicturesAreNamedOnceInOneLine) {
  // fig4.pcx and fig3c.pcx fill two slots each; one is garbage, the other
  // says 100x50 in its header and holds too little.
  TempDir dir;
  const std::string demo = ZINTAVEL_DEMO_DIR;
  std::filesystem::create_directory(dir.Path("show"));
  std::filesystem::copy(demo, dir.Path("show"), std::filesystem::copy_options::recursive);
  std::mt19937 rng(24);
  std::vector<std::uint8_t> garbage(3000);
  for (auto& b : garbage) b = static_cast<std::uint8_t>(rng());
  garbage[0] = 0xC6;
  std::ofstream(dir.Path("show/data/fig4.pcx"), std::ios::binary)
      .write(reinterpret_cast<const char*>(garbage.data()), static_cast<std::streamsize>(garbage.size()));
  std::vector<std::uint8_t> small(100 * 50, 7);
  ASSERT_TRUE(WritePcxFile(dir.Path("show/data/fig3c.pcx"), 100, 50, small.data(), std::vector<std::uint8_t>(768).data()));
  const ProgramResult r = RunProgram("--record " + dir.Path("out") + " --dir " + dir.Path("show") +
                                     " --fps 1 --every 1000 --quit-at 100");
  EXPECT_EQ(r.code, 0) << r.output;
  for (const char* file : {"fig4.pcx: ", "fig3c.pcx: "}) {
    std::size_t n = 0;
    for (std::size_t at = r.output.find(file); at != std::string::npos; at = r.output.find(file, at + 1)) ++n;
    EXPECT_EQ(n, 1u) << file << "\n" << r.output;
  }
  EXPECT_TRUE(Says(r.output, "fig4.pcx: does not start like a PCX file (first byte 0xC6); run-length data ends"))
      << r.output;
  EXPECT_TRUE(Says(r.output, "fig3c.pcx: header says 100x50")) << r.output;
}

TEST(RobustnessTest, JpegLargerThanItsSlotIsRefusedFromItsHeader) {
  TempDir dir;
  std::vector<Pixel> pixels(64 * 48, 0x00405060);
  ASSERT_TRUE(WriteJpegFile(dir.Path("small.jpg"), 64, 48, pixels.data()));
  std::vector<std::uint8_t> file = ReadAll(dir.Path("small.jpg"));
  // Claim 65,000 x 65,000 in the frame header (FF C0, length, precision, height, width).
  const std::uint8_t marker[] = {0xFF, 0xC0};
  auto sof = std::search(file.begin(), file.end(), std::begin(marker), std::end(marker));
  ASSERT_NE(sof, file.end());
  const std::size_t at = static_cast<std::size_t>(sof - file.begin()) + 5;
  file[at] = file[at + 2] = 65000 >> 8;
  file[at + 1] = file[at + 3] = 65000 & 0xFF;
  std::vector<Pixel> slot(320 * 240, 0x11223344);
  std::string said = CaptureStderrOf(
      [&] { EXPECT_FALSE(DecodeJpegPicture("huge.jpg", file.data(), file.size(), slot.data(), 320, 240)); });
  EXPECT_EQ(said, "zintavel: huge.jpg: is 65000x65000, expected 320x240; not decoded\n");
  EXPECT_EQ(slot[0], 0x11223344u);

  // The path entry says the same.
  std::ofstream(dir.Path("huge.jpg"), std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  said = CaptureStderrOf([&] { EXPECT_FALSE(LoadJpegPicture(dir.Path("huge.jpg").c_str(), slot.data(), 32, 30)); });
  EXPECT_TRUE(Says(said, "huge.jpg: is 65000x65000, expected 32x30; not decoded")) << said;
}

TEST(RobustnessTest, PcxHeaderThatSaysSomethingElseIsDecodedAsBeforeWithALine) {
  std::vector<std::uint8_t> indices(320 * 240);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i * 7);
  const std::vector<std::uint8_t> good = EncodePcx(320, 240, indices.data(), RampPalette().data());
  auto picture = MakePicture(), reference = MakePicture();
  SpriteBox box{}, referenceBox{};
  std::string said = CaptureStderrOf(
      [&] { EXPECT_TRUE(DecodePcxPicture("good.pcx", good.data(), good.size(), *reference, referenceBox, 320, 240)); });
  EXPECT_EQ(said, "");

  struct Case {
    const char* what;
    int at, value;
    const char* line;
  };
  const Case cases[] = {
      {"640 wide", 8, 639, "header says 640x240, 8 bits, 1 plane, 320 bytes a row; read as 320x240"},
      {"480 high", 10, 479, "header says 320x480, 8 bits, 1 plane, 320 bytes a row"},
      {"24 bits", 3, 24, "header says 320x240, 24 bits, 1 plane"},
      {"3 planes", 65, 3, "header says 320x240, 8 bits, 3 planes"},
      {"960 bytes a row", 66, 960, "header says 320x240, 8 bits, 1 plane, 960 bytes a row; read as"},
      {"not a PCX", 0, 0x89, "does not start like a PCX file (first byte 0x89)"},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> file = good;
    file[c.at] = static_cast<std::uint8_t>(c.value & 0xFF);
    if (c.at == 8 || c.at == 10 || c.at == 66) file[c.at + 1] = static_cast<std::uint8_t>(c.value >> 8);
    said = CaptureStderrOf([&] { DecodePcxPicture("odd.pcx", file.data(), file.size(), *picture, box, 320, 240); });
    EXPECT_TRUE(Says(said, "odd.pcx: " + std::string(c.line))) << c.what << ": " << said;
    EXPECT_EQ(Lines(said), 1) << c.what;
    EXPECT_TRUE(std::equal(std::begin(picture->pixels), std::end(picture->pixels), std::begin(reference->pixels)))
        << c.what << " decoded differently";
  }
}

TEST(RobustnessTest, FontSheetWithoutMarkersSaysItHasNoGlyphs) {
  std::vector<std::uint8_t> sheet(64 * 4, 90);
  const std::vector<std::uint8_t> file = EncodePcx(64, 4, sheet.data(), std::vector<std::uint8_t>(768).data());
  BitmapFont font;
  const std::string said = CaptureStderrOf(
      [&] { font = BuildBitmapFontFromMemory("font9.pcx", file.data(), file.size(), "abc", 5, 64, 4); });
  EXPECT_EQ(font.glyphCount, 0);
  EXPECT_TRUE(Says(said, "font9.pcx: no glyph markers (index 255) in the first row: the font has no glyphs")) << said;
  EXPECT_EQ(Lines(said), 1);
}

TEST(RobustnessTest, EveryLoaderSaysWhatIsWrongWithADirectoryOrAFifo) {
  TempDir dir;
  for (bool fifo : {false, true}) {
    const std::string path = dir.Path(fifo ? "fifo" : "dir");
    if (fifo) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else {
      std::filesystem::create_directory(path);
    }
    const std::string problem = path + (fifo ? ": is a fifo, not a file" : ": is a directory, not a file");
    auto picture = MakePicture(0);
    SpriteBox box{};
    std::string said = CaptureStderrOf([&] { EXPECT_FALSE(LoadPcxPicture(path.c_str(), *picture, box, 320, 240)); });
    EXPECT_EQ(said, "zintavel: " + problem + "\n");
    EXPECT_EQ(picture->pixels[0], TransparentKey);

    std::vector<Pixel> slot(32 * 30, 7);
    said = CaptureStderrOf([&] { EXPECT_FALSE(LoadJpegPicture(path.c_str(), slot.data(), 32, 30)); });
    EXPECT_EQ(said, "zintavel: " + problem + "\n");
    EXPECT_EQ(slot[0], 7u);

    said = CaptureStderrOf([&] { EXPECT_EQ(BuildBitmapFont(path.c_str(), "ab", 5, 12, 3).glyphCount, 0); });
    EXPECT_EQ(said, "zintavel: " + problem + "\n");

    said = CaptureStderrOf([&] { BuildTickerStrip(path.c_str()); });
    EXPECT_EQ(said, "zintavel: " + problem + "; part two runs without a ticker\n");
    EXPECT_EQ(TickerWidth, 0);

    said = CaptureStderrOf([&] { EXPECT_EQ(BuildPages(path.c_str(), PagesOne, BuildFixedPointPicture), 0); });
    EXPECT_EQ(said, "zintavel: " + problem + "; no pages\n");
  }
}

TEST(RobustnessTest, UnreadableFileSaysPermissionDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  TempDir dir;
  std::ofstream(dir.Path("locked.txt")) << "a\n}\n";
  ::chmod(dir.Path("locked.txt").c_str(), 0);
  const std::string said = CaptureStderrOf([&] { BuildPages(dir.Path("locked.txt").c_str(), PagesOne, BuildFixedPointPicture); });
  EXPECT_TRUE(Says(said, "locked.txt: cannot open: Permission denied; no pages")) << said;
}

TEST(RobustnessTest, PcxLongerThanTheDecoderCanUseDecodesTheSame) {
  // 2 MB of filler between the coded data and the palette: only the start and
  // the palette are read, and they decode as the whole file would.
  std::vector<std::uint8_t> indices(320 * 240);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i % 251);
  std::vector<std::uint8_t> file = EncodePcx(320, 240, indices.data(), RampPalette().data());
  file.insert(file.end() - 769, 2 * 1024 * 1024, 0xC1);
  TempDir dir;
  ASSERT_TRUE(WriteBytes(dir.Path("long.pcx"), file));
  std::vector<std::uint8_t> fromPath(indices.size()), fromMemory(indices.size()), palette(768), palette2(768);
  std::string said = CaptureStderrOf([&] {
    EXPECT_TRUE(ReadPcxIndices(dir.Path("long.pcx").c_str(), fromPath.data(), palette.data(), 320, 240));
    EXPECT_TRUE(DecodePcxIndices("long.pcx", file.data(), file.size(), fromMemory.data(), palette2.data(), 320, 240));
  });
  EXPECT_EQ(said, "");
  EXPECT_EQ(fromPath, indices);
  EXPECT_EQ(fromMemory, indices);
  EXPECT_EQ(palette, RampPalette());
  EXPECT_EQ(palette2, RampPalette());
}
