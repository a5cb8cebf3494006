// A module's offsets against its size: whole files reach no further than their
// end, cut ones are caught wherever the cut falls.
#include "assets/module_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/test_support.h"

namespace {

std::vector<std::uint8_t> DemoModule() { return ReadAll(std::string(ZINTAVEL_DEMO_DIR) + "/tune.it"); }

}  // namespace

TEST(ModuleCheckTest, WholeModuleReachesExactlyItsEnd) {
  const std::vector<std::uint8_t> tune = DemoModule();
  ASSERT_GT(tune.size(), 1000u);
  const ModuleOffsets m = CheckModuleOffsets(tune.data(), tune.size());
  EXPECT_TRUE(m.isIt);
  EXPECT_FALSE(m.headerCut);
  EXPECT_GT(m.samples, 0);
  EXPECT_GT(m.patterns, 0);
  EXPECT_EQ(m.samplesPast + m.patternsPast + m.instrumentsPast, 0);
  // The generator writes the last sample's data last: the offsets reach the end.
  EXPECT_EQ(m.needed, m.size);
}

TEST(ModuleCheckTest, EveryCutIsCaught) {
  const std::vector<std::uint8_t> tune = DemoModule();
  for (std::size_t keep : {std::size_t{3}, std::size_t{100}, tune.size() / 50, tune.size() / 10, tune.size() / 2,
                           tune.size() * 99 / 100, tune.size() - 1}) {
    const ModuleOffsets m = CheckModuleOffsets(tune.data(), keep);
    SCOPED_TRACE(keep);
    if (keep < 4) {
      EXPECT_FALSE(m.isIt);  // too short to say what it is
      continue;
    }
    EXPECT_GT(m.needed, m.size);
    EXPECT_GT(m.samplesPast + m.patternsPast + m.instrumentsPast + (m.headerCut ? 1 : 0), 0);
  }
  EXPECT_TRUE(CheckModuleOffsets(tune.data(), 100).headerCut);
  // Cutting more never makes fewer parts missing.
  EXPECT_GE(CheckModuleOffsets(tune.data(), tune.size() / 10).samplesPast,
            CheckModuleOffsets(tune.data(), tune.size() / 2).samplesPast);
}

TEST(ModuleCheckTest, OffsetsThatPointPastTheEndAndEmptyPatterns) {
  // A header with one sample and two patterns: pattern 0 empty (offset 0),
  // pattern 1 and the sample's data where the test says.
  std::vector<std::uint8_t> f(0xC0 + 1 + 4 * 3 + 0x50 + 8 + 16, 0);
  std::memcpy(f.data(), "IMPM", 4);
  f[0x20] = 1;  // orders
  f[0x24] = 1;  // samples
  f[0x26] = 2;  // patterns
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  const std::size_t sampleAt = 0xC0 + 1 + 12, patternAt = sampleAt + 0x50;
  put32(0xC1, static_cast<std::uint32_t>(sampleAt));
  put32(0xC5, 0);
  put32(0xC9, static_cast<std::uint32_t>(patternAt));
  std::memcpy(f.data() + sampleAt, "IMPS", 4);
  f[sampleAt + 0x12] = 0x01 | 0x02;  // data, 16 bits
  put32(sampleAt + 0x30, 4);         // 4 samples: 8 bytes
  put32(sampleAt + 0x48, static_cast<std::uint32_t>(patternAt + 8 + 8));
  f[patternAt] = 8;  // 8 bytes of packed rows
  ModuleOffsets m = CheckModuleOffsets(f.data(), f.size());
  EXPECT_EQ(m.needed, static_cast<std::int64_t>(f.size()));
  EXPECT_EQ(m.samplesPast + m.patternsPast, 0);

  put32(sampleAt + 0x30, 5);  // one sample more than the file holds
  m = CheckModuleOffsets(f.data(), f.size());
  EXPECT_EQ(m.samplesPast, 1);
  EXPECT_EQ(m.needed, static_cast<std::int64_t>(f.size()) + 2);

  f[sampleAt + 0x12] = 0x00;  // a header without data needs none
  f[patternAt] = 100;         // a pattern longer than the file
  m = CheckModuleOffsets(f.data(), f.size());
  EXPECT_EQ(m.samplesPast, 0);
  EXPECT_EQ(m.patternsPast, 1);

  const std::uint8_t notIt[] = "Extended Module: ";
  EXPECT_FALSE(CheckModuleOffsets(notIt, sizeof notIt).isIt);
}
