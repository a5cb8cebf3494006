#include "assets/pcx.h"

#include <gtest/gtest.h>

#include <vector>

#include "pcx_writer.h"
#include "support/test_support.h"

namespace {

// A file of a blank header, the given coded bytes, 0x0C and a palette.
std::vector<std::uint8_t> RawPcx(const std::vector<std::uint8_t>& coded,
                                 const std::vector<std::uint8_t>& palette = RampPalette()) {
  std::vector<std::uint8_t> file(128, 0);
  file.insert(file.end(), coded.begin(), coded.end());
  file.push_back(0x0C);
  file.insert(file.end(), palette.begin(), palette.end());
  return file;
}

std::vector<std::uint8_t> Decode(const TempDir& dir, const std::vector<std::uint8_t>& file, std::int32_t count,
                                 std::string* messages = nullptr) {
  const std::string path = dir.Path("t.pcx");
  EXPECT_TRUE(WriteBytes(path, file));
  std::vector<std::uint8_t> indices(count + 4, 0xAB), palette(768);
  std::string said = CaptureStderrOf([&] { ReadPcxIndices(path.c_str(), indices.data(), palette.data(), count, 1); });
  if (messages) *messages = said;
  for (int guard = 0; guard < 4; ++guard) EXPECT_EQ(indices[count + guard], 0xAB) << "wrote past count";
  indices.resize(count);
  return indices;
}

}  // namespace

TEST(PcxTest, RunLengthCoding) {
  TempDir dir;
  // Literal bytes up to 192 inclusive; runs of b - 192 above that.
  EXPECT_EQ(Decode(dir, RawPcx({192, 7}), 2), (std::vector<std::uint8_t>{192, 7}));
  EXPECT_EQ(Decode(dir, RawPcx({193, 200}), 1), (std::vector<std::uint8_t>{200}));
  EXPECT_EQ(Decode(dir, RawPcx({255, 3}), 63), std::vector<std::uint8_t>(63, 3));
  EXPECT_EQ(Decode(dir, RawPcx({0xC3, 9, 1, 0xC2, 255}), 6), (std::vector<std::uint8_t>{9, 9, 9, 1, 255, 255}));
}

TEST(PcxTest, WriterRoundTripsThroughTheReader) {
  TempDir dir;
  std::mt19937 rng(5);
  std::vector<std::uint8_t> indices(320 * 240);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = (i / 37) % 3 ? rng() & 0xFF : 0xC0 + (i % 5);
  const auto palette = RampPalette();
  const std::string path = dir.Path("r.pcx");
  ASSERT_TRUE(WritePcxFile(path, 320, 240, indices.data(), palette.data()));
  std::vector<std::uint8_t> back(indices.size()), pal(768);
  std::string said = CaptureStderrOf([&] { EXPECT_TRUE(ReadPcxIndices(path.c_str(), back.data(), pal.data(), 320, 240)); });
  EXPECT_EQ(said, "");
  EXPECT_EQ(back, indices);
  EXPECT_EQ(pal, palette);
}

TEST(PcxTest, PictureColoursKeyAndBox) {
  TempDir dir;
  std::vector<std::uint8_t> indices(320 * 240, 255);
  auto palette = RampPalette();
  palette[3 * 7] = 0x12, palette[3 * 7 + 1] = 0x34, palette[3 * 7 + 2] = 0x56;
  palette[3 * 255] = palette[3 * 255 + 1] = palette[3 * 255 + 2] = 0;  // never used
  const std::string path = dir.Path("p.pcx");
  auto picture = MakePicture(0);
  SpriteBox box{};

  ASSERT_TRUE(WritePcxFile(path, 320, 240, indices.data(), palette.data()));
  EXPECT_TRUE(LoadPcxPicture(path.c_str(), *picture, box, 320, 240));
  for (Pixel p : picture->pixels) ASSERT_EQ(p, TransparentKey);
  EXPECT_EQ(box.left, 100000);
  EXPECT_EQ(box.right, 0);
  EXPECT_EQ(box.top, 11110);
  EXPECT_EQ(box.bottom, 0);

  indices[57 * 320 + 201] = 7;
  ASSERT_TRUE(WritePcxFile(path, 320, 240, indices.data(), palette.data()));
  LoadPcxPicture(path.c_str(), *picture, box, 320, 240);
  EXPECT_EQ(picture->pixels[57 * 320 + 201], 0x00123456u);
  EXPECT_EQ(box.left, 201);
  EXPECT_EQ(box.right, 202);
  EXPECT_EQ(box.top, 57);
  EXPECT_EQ(box.bottom, 58);

  indices[3 * 320 + 5] = 0;
  indices[200 * 320 + 300] = 254;
  ASSERT_TRUE(WritePcxFile(path, 320, 240, indices.data(), palette.data()));
  LoadPcxPicture(path.c_str(), *picture, box, 320, 240);
  EXPECT_EQ(picture->pixels[3 * 320 + 5], 0x0000FF00u);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.right, 301);
  EXPECT_EQ(box.top, 3);
  EXPECT_EQ(box.bottom, 201);
}

TEST(PcxTest, FileSizeKeepsThePosition) {
  TempDir dir;
  ASSERT_TRUE(WriteBytes(dir.Path("f"), std::vector<std::uint8_t>(1000, 1)));
  std::FILE* f = std::fopen(dir.Path("f").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 17, SEEK_SET);
  EXPECT_EQ(FileSize(f), 1000);
  EXPECT_EQ(std::ftell(f), 17);
  std::fclose(f);
}

TEST(PcxTest, BrokenFilesDecodeWhatIsThereAndSaySo) {
  TempDir dir;
  std::string said;

  // Missing: all transparent.
  std::vector<std::uint8_t> indices(10, 0), palette(768, 1);
  said = CaptureStderrOf([&] {
    EXPECT_FALSE(ReadPcxIndices(dir.Path("none.pcx").c_str(), indices.data(), palette.data(), 10, 1));
  });
  EXPECT_EQ(indices, std::vector<std::uint8_t>(10, 255));
  EXPECT_NE(said.find("none.pcx: cannot open"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);

  // Shorter than header plus palette.
  auto tooShort = Decode(dir, std::vector<std::uint8_t>(500, 3), 10, &said);
  EXPECT_EQ(tooShort, std::vector<std::uint8_t>(10, 255));
  EXPECT_NE(said.find("too short for a PCX picture"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "the header's problem and this in one line";

  // Coded data ends early; the palette is not read as pixels.
  auto early = Decode(dir, RawPcx({5, 0xC2, 6}), 8, &said);
  EXPECT_EQ(early, (std::vector<std::uint8_t>{5, 6, 6, 12, 255, 255, 255, 255}));
  EXPECT_NE(said.find("ends after 4 of 8"), std::string::npos) << said;

  // A run carrying past count stops at count.
  auto past = Decode(dir, RawPcx({1, 0xFF, 9}), 5, &said);
  EXPECT_EQ(past, (std::vector<std::uint8_t>{1, 9, 9, 9, 9}));
  EXPECT_NE(said.find("runs past the end"), std::string::npos) << said;

  // A truncated picture is transparent where data is missing.
  auto picture = MakePicture(0);
  SpriteBox box{};
  const std::string path = dir.Path("cut.pcx");
  ASSERT_TRUE(WriteBytes(path, RawPcx({0xFF, 1, 0xFF, 1})));
  said = CaptureStderrOf([&] { LoadPcxPicture(path.c_str(), *picture, box, 320, 240); });
  EXPECT_NE(picture->pixels[0], TransparentKey);
  EXPECT_EQ(picture->pixels[200], TransparentKey);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.bottom, 1);
  EXPECT_FALSE(said.empty());
}
