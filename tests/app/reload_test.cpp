// --watch's reload on a fake clock and a temporary presentation: a changed
// picture changes the frames after it, a broken one keeps what was shown, and
// what is made from a file is made again.
#include "app/reload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/live_reload.h"
#include "assets/inventory.h"
#include "assets/loading.h"
#include "assets/pages.h"
#include "scenes/fades.h"
#include "show/master_sequence.h"
#include "show/message_pump.h"
#include "support/fake_platform.h"
#include "support/test_support.h"
#include "jpeg_writer.h"
#include "pcx_writer.h"

namespace {

namespace fs = std::filesystem;
const std::string Demo = ZINTAVEL_DEMO_DIR;


// A 320x240 PCX of stripes in `shade`, written in place of the link.
void WriteCard(const std::string& path, std::uint8_t shade) {
  fs::remove(path);
  std::vector<std::uint8_t> indices(320 * 240), palette(768);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>((i / 320) % 2 ? shade : 3);
  for (int i = 0; i < 256; ++i) palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(WritePcxFile(path, 320, 240, indices.data(), palette.data()));
}

void WriteText(const std::string& path, const std::string& text) {
  fs::remove(path);
  std::ofstream(path, std::ios::binary) << text;
}

void Cut(const std::string& path, std::size_t keep) {
  const std::vector<std::uint8_t> whole = ReadAll(path);
  fs::remove(path);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(whole.data()), std::min(keep, whole.size()));
}

std::uint64_t Hash(const Picture& p) {
  std::uint64_t h = 1469598103934665603ull;
  for (Pixel v : p.pixels) h = (h ^ v) * 1099511628211ull;
  return h;
}

// The title card's frames of one run, hashed.
std::vector<std::uint64_t> TitleFrames;
void RecordTitleCard(float level, Picture& frame) {
  RenderTitleCard(level, frame);
  TitleFrames.push_back(Hash(frame));
}

const SceneTable& TitleRecorder() {
  static SceneTable t = DemoScenes();
  t.titleCard = RecordTitleCard;
  return t;
}

// One run of the show through the title card, 1 s a frame, quitting after 14
// frames; `atPresent` runs in the pump after that many presents.
std::vector<std::uint64_t> RunTitleCard(const std::string& show,
                                        std::function<void(std::uint32_t presents)> atPresent,
                                        std::string* said = nullptr) {
  PresentationDirectory = show;
  TitleFrames.clear();
  FakePlatform fake;
  fake.step = 1000;
  fake.quitWhen = [&](std::uint32_t presents, std::uint32_t) {
    atPresent(presents);
    return presents == 14;
  };
  ActivePlatform = &fake;
  QuitRequested = 0;
  const std::string lines = CaptureStderrOf([] { MasterSequence(TitleRecorder()); });
  if (said) *said = lines;
  ActivePlatform = nullptr;
  return TitleFrames;
}

}  // namespace

TEST(ReloadTest, ChangedPictureShowsNextFrameAndABrokenOneKeepsIt) {
  TempDir dir;
  const std::string show = LinkedShow(dir, Demo), card = show + "/data/card.pcx";
  const std::vector<std::uint64_t> before = RunTitleCard(show, [](std::uint32_t) {});

  // While it plays: a new card after the 5th frame, a cut one after the 10th.
  std::string said;
  std::unique_ptr<LiveReload> watch;
  const std::vector<std::uint64_t> changed = RunTitleCard(show, [&](std::uint32_t presents) {
    if (presents == 1) watch = std::make_unique<LiveReload>(show, std::chrono::milliseconds(0));
    if (presents == 5) WriteCard(card, 200);
    if (presents == 10) Cut(card, 3000);
    if (presents == 5 || presents == 10) watch->Poll(presents * 1000);
  }, &said);
  const std::vector<std::uint64_t> after = RunTitleCard(show, [](std::uint32_t) {});  // the cut card from the start

  WriteCard(card, 200);
  const std::vector<std::uint64_t> newFromStart = RunTitleCard(show, [](std::uint32_t) {});

  ASSERT_EQ(before.size(), 14u) << said;
  ASSERT_EQ(changed.size(), 14u);
  for (std::size_t i = 0; i < 14; ++i) {
    SCOPED_TRACE(i);
    if (i < 5) {
      EXPECT_EQ(changed[i], before[i]);
    } else {
      EXPECT_EQ(changed[i], newFromStart[i]);  // the new card, also after the broken one came
      EXPECT_NE(changed[i], before[i]);
      EXPECT_NE(changed[i], after[i]);
    }
  }
  EXPECT_NE(said.find("data/card.pcx: reloaded at 0:05.0"), std::string::npos) << said;
  EXPECT_NE(said.find("data/card.pcx: not reloaded; the previous version stays on screen"), std::string::npos) << said;
  EXPECT_NE(said.find("card.pcx: run-length data ends"), std::string::npos) << said;  // the loader's own line
}

TEST(ReloadTest, WhatIsMadeFromAFileIsMadeAgain) {
  TempDir dir;
  const std::string show = LinkedShow(dir, Demo), data = show + "/data/";
  PresentationDirectory = show;
  ASSERT_TRUE(LoadAssets());
  const std::int32_t pages = PagesOneCount, ticker = TickerWidth;
  const std::uint64_t scratch = Hash(ScratchPicture);
  const Pixel firstPoint = PagesOne[0].points[0].colour;

  // A mirror picture in one flat colour: its upside-down copy follows.
  std::vector<std::uint32_t> flat(320 * 240, 0x336699);
  fs::remove(data + "img14.jpg");
  ASSERT_TRUE(WriteJpegFile(data + "img14.jpg", 320, 240, flat.data(), {95, false, false}));
  EXPECT_EQ(ReloadDataFile("img14.jpg"), ReloadResult::Replaced);
  EXPECT_EQ(MirrorPictures[0].pixels[0], MirrorPictures[1].pixels[239 * 320]);
  EXPECT_NEAR(static_cast<int>(MirrorPictures[1].pixels[0] & 0xFF), 0x99, 3);

  // The tint picture, and with it the colour of every page point.
  std::vector<std::uint32_t> red(320 * 240, 0xFF0000);
  fs::remove(data + "img09.jpg");
  ASSERT_TRUE(WriteJpegFile(data + "img09.jpg", 320, 240, red.data(), {95, false, false}));
  EXPECT_EQ(ReloadDataFile("img09.jpg"), ReloadResult::Replaced);
  EXPECT_NE(PagesOne[0].points[0].colour, firstPoint);

  // Texts: one page more than the file had, a longer ticker; the work picture
  // the page builder draws in is given back as it was.
  std::string morePages;
  for (std::int32_t i = 0; i <= pages; ++i) morePages += "page\n}\n";
  WriteText(data + "pages1.txt", morePages);
  EXPECT_EQ(ReloadDataFile("pages1.txt"), ReloadResult::Replaced);
  EXPECT_EQ(PagesOneCount, pages + 1);
  EXPECT_EQ(Hash(ScratchPicture), scratch);
  WriteText(data + "ticker.txt", std::string(ReadAll(Demo + "/data/ticker.txt").size(), 'm') + "mmm");
  EXPECT_EQ(ReloadDataFile("ticker.txt"), ReloadResult::Replaced);
  EXPECT_GT(TickerWidth, ticker);

  // Broken replacements: a page file without pages, a JPEG of the wrong size,
  // a font sheet cut short, a missing sprite. What was shown stays.
  const Picture background = TextBackgrounds[0];
  const std::int32_t glyphs = PageFont.glyphCount;
  const SpriteBox box = SpriteBoxes[3];
  CaptureStderrOf([&] {
    WriteText(data + "pages1.txt", "no page end\n");
    EXPECT_EQ(ReloadDataFile("pages1.txt"), ReloadResult::KeptPrevious);
    fs::remove(data + "img04.jpg");
    ASSERT_TRUE(WriteJpegFile(data + "img04.jpg", 32, 30, flat.data()));
    EXPECT_EQ(ReloadDataFile("img04.jpg"), ReloadResult::KeptPrevious);
    Cut(data + "font3.pcx", 600);
    EXPECT_EQ(ReloadDataFile("font3.pcx"), ReloadResult::KeptPrevious);
    fs::remove(data + "spr03.pcx");
    EXPECT_EQ(ReloadDataFile("spr03.pcx"), ReloadResult::KeptPrevious);
  });
  EXPECT_EQ(PagesOneCount, pages + 1);
  EXPECT_TRUE(std::equal(std::begin(background.pixels), std::end(background.pixels), TextBackgrounds[0].pixels));
  EXPECT_EQ(PageFont.glyphCount, glyphs);
  EXPECT_EQ(SpriteBoxes[3].left, box.left);
  EXPECT_EQ(SpriteBoxes[3].bottom, box.bottom);

  EXPECT_EQ(ReloadDataFile("notes.txt"), ReloadResult::NotAFileOfTheShow);
  EXPECT_EQ(ReloadDataFile("spr15.pcx"), ReloadResult::NotAFileOfTheShow);
}
