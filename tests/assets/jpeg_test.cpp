#include "assets/jpeg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include <jpeglib.h>

#include "jpeg_writer.h"
#include "pcx_writer.h"
#include "support/test_support.h"

namespace {

int Channel(Pixel p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

// A four-channel (CMYK) file, which the loader refuses.
void WriteCmyk(const std::string& path, int width, int height) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, f);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(width * 4, 100);
  while (info.next_scanline < info.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(f);
}

}  // namespace

TEST(JpegTest, ColourOrderAndWidening) {
  TempDir dir;
  std::vector<Pixel> flat(320 * 240, 0x00E08030);  // red E0, green 80, blue 30
  ASSERT_TRUE(WriteJpegFile(dir.Path("c.jpg"), 320, 240, flat.data(), {100, false, false}));
  DecodedJpeg decoded = DecodeJpegFile(dir.Path("c.jpg").c_str());
  ASSERT_TRUE(decoded.bgr);
  EXPECT_EQ(decoded.width, 320);
  EXPECT_EQ(decoded.height, 240);
  EXPECT_NEAR(decoded.bgr[0], 0x30, 2);  // blue first
  EXPECT_NEAR(decoded.bgr[2], 0xE0, 2);

  std::vector<Pixel> picture(320 * 240, 0xFFFFFFFF);
  ASSERT_TRUE(LoadJpegPicture(dir.Path("c.jpg").c_str(), picture.data(), 320, 240));
  for (std::size_t i = 0; i < picture.size(); i += 997) {
    ASSERT_EQ(picture[i] >> 24, 0u);
    ASSERT_NEAR(Channel(picture[i], 16), 0xE0, 2);
    ASSERT_NEAR(Channel(picture[i], 8), 0x80, 2);
    ASSERT_NEAR(Channel(picture[i], 0), 0x30, 2);
    // The widened pixel is exactly the decoded bytes.
    ASSERT_EQ(picture[i], Pixel{decoded.bgr[3 * i]} | Pixel{decoded.bgr[3 * i + 1]} << 8 |
                              Pixel{decoded.bgr[3 * i + 2]} << 16);
  }
}

TEST(JpegTest, GreyFilesGiveEqualChannels) {
  TempDir dir;
  std::vector<Pixel> ramp(256 * 256);
  for (int i = 0; i < 256 * 256; ++i) ramp[i] = ((i % 256) * 0x010101u);
  ASSERT_TRUE(WriteJpegFile(dir.Path("g.jpg"), 256, 256, ramp.data(), {90, true, false}));
  std::vector<Pixel> picture(256 * 256, 0);
  ASSERT_TRUE(LoadJpegPicture(dir.Path("g.jpg").c_str(), picture.data(), 256, 256));
  for (Pixel p : picture) ASSERT_TRUE(Channel(p, 0) == Channel(p, 8) && Channel(p, 8) == Channel(p, 16));
}

TEST(JpegTest, BadgeFillsExactlyItsPixels) {
  TempDir dir;
  std::vector<Pixel> badge(32 * 30, 0x00404040);
  ASSERT_TRUE(WriteJpegFile(dir.Path("b.jpg"), 32, 30, badge.data()));
  std::vector<Pixel> picture(32 * 30 + 8, 0xDEADBEEF);
  ASSERT_TRUE(LoadJpegPicture(dir.Path("b.jpg").c_str(), picture.data(), 32, 30));
  EXPECT_NE(picture[959], 0xDEADBEEFu);
  for (int i = 960; i < 968; ++i) EXPECT_EQ(picture[i], 0xDEADBEEFu);
}

TEST(JpegTest, BadFilesLeaveTheDestinationAndSayWhy) {
  TempDir dir;
  std::vector<Pixel> good(320 * 240, 0x00336699);
  ASSERT_TRUE(WriteJpegFile(dir.Path("good.jpg"), 320, 240, good.data()));
  const auto bytes = ReadAll(dir.Path("good.jpg"));
  ASSERT_TRUE(WriteBytes(dir.Path("cut.jpg"), {bytes.begin(), bytes.begin() + bytes.size() / 2}));
  ASSERT_TRUE(WriteBytes(dir.Path("junk.jpg"), std::vector<std::uint8_t>(3000, 0x42)));
  ASSERT_TRUE(WriteBytes(dir.Path("empty.jpg"), {}));
  WriteCmyk(dir.Path("cmyk.jpg"), 320, 240);

  struct Case {
    const char* name;
    int width, height;
    const char* says;
  };
  for (const Case& c : {Case{"missing.jpg", 320, 240, "cannot open"}, Case{"cut.jpg", 320, 240, "bad JPEG"},
                        Case{"junk.jpg", 320, 240, "bad JPEG"}, Case{"empty.jpg", 320, 240, "bad JPEG"},
                        Case{"cmyk.jpg", 320, 240, "4 colour channels"},
                        Case{"good.jpg", 256, 256, "is 320x240, expected 256x256"}}) {
    std::vector<Pixel> picture(c.width * c.height, 0x01020304);
    const std::string path = dir.Path(c.name);
    std::string said = CaptureStderrOf([&] {
      EXPECT_FALSE(LoadJpegPicture(path.c_str(), picture.data(), c.width, c.height)) << c.name;
    });
    for (Pixel p : picture) ASSERT_EQ(p, 0x01020304u) << c.name;
    EXPECT_NE(said.find(std::string(c.name) + ": "), std::string::npos) << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << c.name << ": " << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
}
