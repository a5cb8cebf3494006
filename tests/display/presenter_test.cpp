#include "display/presenter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "pixel/span_kernels.h"

#include "support/fake_platform.h"
#include "support/test_support.h"

namespace {

std::uint32_t Word16(const std::vector<std::uint8_t>& s, std::size_t at) { return s[at] | s[at + 1] << 8; }

}  // namespace

TEST(ConvertFrameTest, EveryDepthPlainAndDoubledWithAWidePitch) {
  auto frame = MakePicture(0);
  frame->pixels[0] = 0x00FFFFFF;
  frame->pixels[1] = 0x00808080;
  frame->pixels[2] = 0x12345678;
  frame->pixels[320 + 5] = 0x00FF0000;
  for (int depth : {15, 16, 24, 32}) {
    const int bytes = depth == 32 ? 4 : depth == 24 ? 3 : 2;
    for (int doubling : {0, 1}) {
      const int pitch = (320 << doubling) * bytes + 24;  // wider than a row
      std::vector<std::uint8_t> surface(static_cast<std::size_t>(pitch) * (240 << doubling), 0xAA);
      ConvertFrame(frame->pixels, 320, 240, depth, doubling, surface.data(), pitch);
      auto pixelAt = [&](int x, int y) { return static_cast<std::size_t>(y) * pitch + static_cast<std::size_t>(x) * bytes; };
      const int s = doubling ? 2 : 1;
      for (int dy = 0; dy < s; ++dy) {
        for (int dx = 0; dx < s; ++dx) {
          switch (depth) {
            case 15:
              EXPECT_EQ(Word16(surface, pixelAt(dx, dy)), 0x7FFFu);
              EXPECT_EQ(Word16(surface, pixelAt(s + dx, dy)), 0x4210u);
              EXPECT_EQ(Word16(surface, pixelAt(5 * s + dx, s + dy)), 0x7C00u);
              break;
            case 16:
              EXPECT_EQ(Word16(surface, pixelAt(dx, dy)), 0xFFFFu);
              EXPECT_EQ(Word16(surface, pixelAt(s + dx, dy)), 0x8410u);
              EXPECT_EQ(Word16(surface, pixelAt(5 * s + dx, s + dy)), 0xF800u);
              break;
            case 24: {
              const std::size_t p = pixelAt(5 * s + dx, s + dy);
              EXPECT_EQ(surface[p], 0xFF);  // red first
              EXPECT_EQ(surface[p + 1], 0);
              EXPECT_EQ(surface[p + 2], 0);
              EXPECT_EQ(surface[pixelAt(2 * s + dx, dy)], 0x34);
              break;
            }
            case 32: {
              const std::size_t p = pixelAt(2 * s + dx, dy);
              EXPECT_EQ(surface[p] | surface[p + 1] << 8 | surface[p + 2] << 16 | surface[p + 3] << 24, 0x12345678);
              break;
            }
          }
        }
      }
      // Bytes past the last pixel of every row stay untouched.
      for (int y = 0; y < (240 << doubling); y += 37) {
        for (int b = (320 << doubling) * bytes; b < pitch; ++b) {
          ASSERT_EQ(surface[static_cast<std::size_t>(y) * pitch + b], 0xAA) << depth << " " << doubling;
        }
      }
    }
  }
}

// The row copies and vector forms against the pixel-by-pixel reference: random
// frames (top byte too), every depth, doubled and not, on surfaces whose pitch
// is wider than a row (what lies past a row stays as it was), and widths that
// leave every possible tail of a vector.
TEST(ConvertFrameTest, FastFormsMatchTheReference) {
  ForEachVectorTarget([&](const char* target) {
    SCOPED_TRACE(target);
    std::mt19937 rng(11);
    for (int width : {320, 1, 3, 7, 17, 63, 97}) {
      const int height = width == 320 ? 240 : 5;
      const std::vector<Pixel> frame = RandomPixels(static_cast<std::size_t>(width) * height, rng);
      for (int depth : {32, 24, 16, 15}) {
        const int bytes = depth == 32 ? 4 : depth == 24 ? 3 : 2;
        for (int doubling : {0, 1}) {
          const int pitch = (width << doubling) * bytes + 1 + static_cast<int>(rng() % 70);
          const std::size_t size = static_cast<std::size_t>(pitch) * (height << doubling);
          std::vector<std::uint8_t> fast(size), ref(size);
          for (std::size_t i = 0; i < size; ++i) fast[i] = ref[i] = static_cast<std::uint8_t>(rng());
          ConvertFrame(frame.data(), width, height, depth, doubling, fast.data(), pitch);
          ConvertFrameReference(frame.data(), width, height, depth, doubling, ref.data(), pitch);
          ASSERT_EQ(0, std::memcmp(fast.data(), ref.data(), size))
              << "width " << width << " depth " << depth << " doubling " << doubling;
        }
      }
    }
  });
}

class PresenterTest : public testing::Test {
 protected:
  void SetUp() override { ActivePlatform = &fake; }
  void TearDown() override {
    CloseDisplay();
    ActivePlatform = nullptr;
  }
  FakePlatform fake;
};

TEST_F(PresenterTest, ModeSearchTriesEveryPlainDepthBeforeDoubling) {
  fake.modes = {{320, 240, 16}, {640, 480, 32}};
  ASSERT_EQ(OpenDisplay(320, 240), 0);
  EXPECT_EQ(DisplayDepth, 16);
  EXPECT_EQ(PixelDoubling, 0);
  EXPECT_EQ(fake.Only("SetMode"),
            (std::vector<std::string>{"SetMode(320x240x32)", "SetMode(320x240x24)", "SetMode(320x240x16)"}));
  ASSERT_NE(GetFrameBuffer(), nullptr);
  CloseDisplay();
  CloseDisplay();  // twice is harmless
  EXPECT_EQ(GetFrameBuffer(), nullptr);

  fake.modes = {{640, 480, 15}};
  ASSERT_EQ(OpenDisplay(320, 240), 0);
  EXPECT_EQ(DisplayDepth, 15);
  EXPECT_EQ(PixelDoubling, 1);
}

TEST_F(PresenterTest, NoModeAtAllHoldsNothing) {
  fake.modes.clear();
  EXPECT_EQ(OpenDisplay(320, 240), 1);
  EXPECT_EQ(fake.Only("SetMode").size(), 8u);
  EXPECT_EQ(fake.Only("Debug"), (std::vector<std::string>{"Debug(DDraw Error)"}));
  EXPECT_EQ(GetFrameBuffer(), nullptr);
  CloseDisplay();
  EXPECT_EQ(fake.Only("CloseDevice").size(), 1u);
}

TEST_F(PresenterTest, PresentConvertsIntoTheLockedSurface) {
  fake.lockWorks = true;
  ASSERT_EQ(OpenDisplay(320, 240), 0);
  GetFrameBuffer()->pixels[321] = 0x00ABCDEF;
  PresentFrame();
  const std::size_t at = 640 * 4 + 4;  // row 1 of a 640-pixel pitch, column 1
  EXPECT_EQ(fake.surface[at], 0xEF);
  EXPECT_EQ(fake.surface[at + 2], 0xAB);
  EXPECT_EQ(fake.presents, 1u);
}
