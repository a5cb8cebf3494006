// LoadAssets over small presentation directories the tests write themselves.
#include "assets/loading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/inventory.h"
#include "assets/pages.h"
#include "jpeg_writer.h"
#include "pcx_writer.h"
#include "pixel/zoom_blur.h"
#include "support/test_support.h"

namespace {

// A font sheet whose glyphs are all `width` wide and solid grey 200.
void WriteFontSheet(const std::string& path, int sheetWidth, int sheetHeight, int glyphs, int width) {
  std::vector<std::uint8_t> sheet(sheetWidth * sheetHeight, 0);
  for (int y = 0; y < sheetHeight; ++y) {
    for (int x = 0; x < glyphs * width; ++x) sheet[y * sheetWidth + x] = 200;
  }
  for (int g = 0; g < glyphs; ++g) sheet[(g + 1) * width - 1] = 255;
  std::vector<std::uint8_t> palette(768, 0);
  ASSERT_TRUE(WritePcxFile(path, sheetWidth, sheetHeight, sheet.data(), palette.data()));
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class LoadingTest : public testing::Test {
 protected:
  void SetUp() override {
    data_ = dir_.Path("data");
    std::filesystem::create_directory(data_);
    PresentationDirectory = dir_.Path("");
    // The pictures are globals: an earlier test's cut picture would tint these pages.
    std::fill(std::begin(CutPictureB.pixels), std::end(CutPictureB.pixels), Pixel{0});
    WriteFontSheet(data_ + "/font1.pcx", 1024, 40, 43, 20);
    WriteFontSheet(data_ + "/font2.pcx", 470, 10, 75, 6);
    WriteFontSheet(data_ + "/font3.pcx", 564, 12, 84, 6);
  }
  void TearDown() override { PresentationDirectory = std::string("."); }
  std::string Load() {
    std::string said;
    said = CaptureStderrOf([&] { ok_ = LoadAssets(); });
    return said;
  }
  TempDir dir_;
  std::string data_;
  bool ok_ = false;
};

}  // namespace

TEST_F(LoadingTest, MissingDataDirectoryStopsWithOneLine) {
  PresentationDirectory = dir_.Path("nowhere");
  const std::string said = Load();
  EXPECT_FALSE(ok_);
  EXPECT_NE(said.find("nowhere/data: no such directory"), std::string::npos) << said;
  EXPECT_NE(said.find("scripts/demo"), std::string::npos);
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

TEST_F(LoadingTest, DerivedPicturesAndTables) {
  // Mirror source: a vertical ramp; tint source: a horizontal ramp.
  std::vector<Pixel> mirror(320 * 240), cut(320 * 240);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      mirror[y * 320 + x] = (y < 120 ? 0x000000F0u : 0x00F00000u);
      cut[y * 320 + x] = x < 160 ? 0x0000F000u : 0x000000F0u;
    }
  }
  ASSERT_TRUE(WriteJpegFile(data_ + "/img14.jpg", 320, 240, mirror.data(), {95, false, false}));
  ASSERT_TRUE(WriteJpegFile(data_ + "/img09.jpg", 320, 240, cut.data(), {95, false, false}));
  // fig4: all grey 7 but transparent outside x 10..300, y 20..200.
  std::vector<std::uint8_t> fig(320 * 240, 255);
  for (int y = 20; y < 200; ++y) {
    for (int x = 10; x < 300; ++x) fig[y * 320 + x] = 7;
  }
  std::vector<std::uint8_t> grey(768);
  for (int i = 0; i < 768; ++i) grey[i] = static_cast<std::uint8_t>(i / 3);
  ASSERT_TRUE(WritePcxFile(data_ + "/fig4.pcx", 320, 240, fig.data(), grey.data()));
  Load();
  ASSERT_TRUE(ok_);

  for (int x = 0; x < 320; x += 7) {
    EXPECT_EQ(MirrorPictures[1].pixels[x], MirrorPictures[0].pixels[239 * 320 + x]);
    EXPECT_EQ(MirrorPictures[1].pixels[239 * 320 + x], MirrorPictures[0].pixels[x]);
  }
  for (int y = 0; y < 240; y += 5) {
    EXPECT_EQ(TintPicture.pixels[y * 320 + 65], CutPictureB.pixels[y * 320]);
    EXPECT_EQ(TintPicture.pixels[y * 320], CutPictureB.pixels[y * 320 + 255]);
  }
  EXPECT_EQ(GreyGainTable[0], 0x01010101u);
  EXPECT_EQ(GreyGainTable[255], 0xFFFFFFFFu);

  auto at = [](int slot, int x, int y) { return FigureLayers[slot].pixels[y * 320 + x]; };
  EXPECT_EQ(at(5, 70, 120), 0u);
  EXPECT_EQ(at(5, 254, 147), 0u);
  for (auto [x, y] : {std::pair{69, 120}, {255, 120}, {70, 119}, {70, 148}}) {
    EXPECT_EQ(at(5, x, y), 0x00070707u) << x << "," << y;
  }
  EXPECT_EQ(FigureBoxes[5].left, 10);
  EXPECT_EQ(FigureBoxes[5].right, 300);
  EXPECT_EQ(FigureBoxes[5].top, 20);
  EXPECT_EQ(FigureBoxes[5].bottom, 200);
  EXPECT_EQ(FigureBoxes[1].left, 10);
  EXPECT_EQ(at(1, 70, 120), 0x00070707u);
  EXPECT_EQ(FigureBoxes[3].right, 0);
  EXPECT_EQ(FigureBoxes[4].bottom, 0);
}

TEST_F(LoadingTest, TickerStrip) {
  WriteText(data_ + "/ticker.txt", "ab c\r\nd");  // CR LF read as LF, no final line end
  const std::string said = Load();
  // a, b, blank, c, LF, d: four glyphs of 20 and two space advances of 20.
  EXPECT_STREQ(TickerText, "ab c\nd");
  EXPECT_EQ(TickerWidth, 120);
  ASSERT_EQ(TickerStrip.size(), 120u * 40);
  EXPECT_EQ(TickerStrip[5 * 120 + 0], 0x00C8C8C8u);
  EXPECT_EQ(TickerStrip[5 * 120 + 19], 0x00C8C8C8u);
  EXPECT_EQ(TickerStrip[5 * 120 + 45], 0u);  // the blank
  EXPECT_EQ(TickerStrip[0 * 120 + 19], 0u);  // the cleared marker column
  EXPECT_EQ(TickerStrip[5 * 120 + 119], 0x00C8C8C8u);

  WriteText(data_ + "/ticker.txt", "");
  Load();
  EXPECT_EQ(TickerWidth, 0);
  EXPECT_TRUE(TickerStrip.empty());
}

TEST_F(LoadingTest, LongTickerIsCutAtItsStoreAndAtItsWidth) {
  WriteText(data_ + "/ticker.txt", std::string(70000, 'a'));
  const std::string said = Load();
  // 65,535 glyphs of 20 would make a strip of 1,310,700 x 40 pixels.
  EXPECT_EQ(std::strlen(TickerText), 3276u);
  EXPECT_EQ(TickerWidth, 3276 * 20);
  EXPECT_EQ(TickerStrip.size(), 3276u * 20 * 40);
  // Both cuts in one line for the file.
  EXPECT_NE(said.find("ticker.txt: the ticker would be 1310700 pixels wide (at most 65536); it is cut after 3276 "
                      "of its 65535 first bytes, in line 1"),
            std::string::npos)
      << said;
  EXPECT_EQ(said.find("ticker.txt: longer than"), std::string::npos) << said;
}

TEST_F(LoadingTest, PagesStylesOrdersAndSplits) {
  // Page 0: "a" on line 0. Page 1: empty. Page 2: "a". Page 3: "a".
  WriteText(data_ + "/pages1.txt", "a\n}\n}\na\n}\na\n}\ntrailing lines belong to no page\n");
  WriteText(data_ + "/pages2.txt", "a\r\n}\r\n");
  Load();
  ASSERT_EQ(PagesOneCount, 4);
  ASSERT_EQ(PagesTwoCount, 1);

  // The glyph of 'a' is 6 x 12 of grey 200 at x 196, y 20, less its cleared
  // marker (column 201, row 20).
  const PointPicture& first = PagesOne[0];
  ASSERT_EQ(first.count, 6 * 12 - 1);
  const PicturePoint& p = first.points[0];
  EXPECT_EQ(p.targetX, 196);
  EXPECT_EQ(p.targetY, 20);
  EXPECT_EQ(p.targetIndex, 20 * 320 + 196);
  EXPECT_EQ(p.order, 196 + 4 * 20);
  EXPECT_EQ(first.points[5].targetY, 21);  // row 20 has five points
  EXPECT_EQ(first.minOrder, 196 + 80);
  // White minus grey 200 is 55, plus the tint of the (black) CutPictureB.
  EXPECT_EQ(p.colour, 0x00373737u);
  // Style 0 for page 0: a = order * 750 pi / N.
  const double a = p.order * 2356.194490192345 / first.count;
  EXPECT_EQ(p.startX, static_cast<int>(20 * std::cos(a) + 240));
  EXPECT_EQ(p.startY, 0);  // 20 sin a + 20 - 40 is below the picture: clamped

  EXPECT_EQ(PagesOne[1].count, 0);
  EXPECT_EQ(PagesOne[1].minOrder, 999999999);
  EXPECT_EQ(PagesOne[2].points[0].startX, 154);  // style 2
  EXPECT_EQ(PagesOne[2].points[0].startY, 235);
  const PicturePoint& q = PagesOne[3].points[0];  // style 0 again
  EXPECT_EQ(q.startX, static_cast<int>(20 * std::cos(q.order * 2356.194490192345 / PagesOne[3].count) + 240));

  const PicturePoint& fixed = PagesTwo[0].points[0];
  EXPECT_EQ(fixed.startX, 48);
  EXPECT_EQ(fixed.startY, 200);
}

TEST(PointPictureTest, LeftRightSplitAndClamps) {
  auto page = MakePicture(PageKey);
  page->pixels[50 * 320 + 239] = 0x00101010;
  page->pixels[50 * 320 + 240] = 0x00101010;
  page->pixels[60 * 320 + 10] = 0x00FFFFFF;  // white with a top byte of 0 is still a point
  PointPicture out;
  BuildPathPointPicture(out, 1, *page, PageKey);
  ASSERT_EQ(out.count, 3);
  EXPECT_EQ(out.points[0].order, 239 + 200);
  EXPECT_EQ(out.points[1].order, 240 + 200 - 40);
  EXPECT_EQ(out.minOrder, 10 + 4 * 60);
  for (const PicturePoint& p : out.points) {
    EXPECT_GE(p.startX, 0);
    EXPECT_LE(p.startX, 319);
    EXPECT_GE(p.startY, 0);
    EXPECT_LE(p.startY, 239);
  }
  BuildFixedPointPicture(out, 0, *page, PageKey);
  EXPECT_EQ(out.points[1].startX, 103);
  EXPECT_EQ(out.points[1].startY, 184);
  // Style 1 with cos = 1 gives 320, stored as 319: order 0 at (0, 0).
  auto corner = MakePicture(PageKey);
  corner->pixels[0] = 0;
  BuildPathPointPicture(out, 1, *corner, PageKey);
  EXPECT_EQ(out.points[0].startX, 319);
  EXPECT_EQ(out.points[0].startY, 120);
}

TEST_F(LoadingTest, PageFileLimits) {
  // A 600-byte line is stored as 254 + 254 + 92 bytes: three lines, the last
  // two starting with '}' here, so they end pages.
  std::string text(254, 'a');
  text.append("}").append(253, 'a').append("}").append(91, 'a').append("\n");
  // Then 300 more lines, of which only the first 197 are read.
  for (int i = 0; i < 300; ++i) text += i % 2 ? "}\n" : "a\n";
  WriteText(data_ + "/pages1.txt", text);
  WriteText(data_ + "/pages2.txt", "no page ends here\n");
  const std::string said = Load();
  EXPECT_EQ(PagesOneCount, 2 + 98);
  EXPECT_EQ(PagesTwoCount, 0);
  EXPECT_NE(said.find("pages1.txt: more than 200 lines: the 100 pages of the first 200 are kept, the rest is "
                      "dropped"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("pages2.txt: holds no page"), std::string::npos) << said;
}
