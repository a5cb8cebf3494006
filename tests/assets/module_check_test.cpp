// The module check over the generated tune and over copies of it cut short or
// with an offset pointing past the end.
#include "assets/module_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

std::vector<std::uint8_t> Tune() { return ReadAll(std::string(ZINTAVEL_DEMO_DIR) + "/tune.it"); }

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(ModuleCheckTest, WholeTunePassesAndEveryCutIsNamed) {
  const std::vector<std::uint8_t> tune = Tune();
  ASSERT_GT(tune.size(), 1000u);
  std::string problem;
  EXPECT_TRUE(CheckModuleOffsets(tune.data(), tune.size(), problem)) << problem;
  // The sample data lies at the end, so any cut takes something away; the
  // check reads only what is there (the sanitizer build sees any overread).
  for (std::size_t keep = 0; keep < tune.size(); keep += 1 + keep / 7) {
    std::vector<std::uint8_t> cut(tune.begin(), tune.begin() + keep);
    problem.clear();
    if (keep < 4) {
      EXPECT_TRUE(CheckModuleOffsets(cut.data(), cut.size(), problem)) << "too short to be a module at all";
      continue;
    }
    EXPECT_FALSE(CheckModuleOffsets(cut.data(), cut.size(), problem)) << keep;
    EXPECT_EQ(problem.rfind("cut short or damaged: ", 0), 0u) << problem;
    EXPECT_NE(problem.find(" but the file ends at "), std::string::npos) << problem;
  }
  std::vector<std::uint8_t> forty(tune.begin(), tune.begin() + tune.size() * 4 / 10);
  EXPECT_FALSE(CheckModuleOffsets(forty.data(), forty.size(), problem));
  EXPECT_NE(problem.find("sample "), std::string::npos) << problem;
}

TEST(ModuleCheckTest, OffsetsPastTheEndAreNamedAndOtherFilesPass) {
  const std::vector<std::uint8_t> tune = Tune();
  ASSERT_GT(tune.size(), 0xC0u);
  const std::uint32_t orders = tune[0x20] | tune[0x21] << 8, instruments = tune[0x22] | tune[0x23] << 8;
  const std::uint32_t samples = tune[0x24] | tune[0x25] << 8;
  const std::size_t patternTable = 0xC0 + orders + 4 * (instruments + samples);
  std::vector<std::uint8_t> bad = tune;
  Put32(bad, patternTable, 0xFFFFFFF0u);  // pattern 0 far past the end: no wrap-around either
  std::string problem;
  EXPECT_FALSE(CheckModuleOffsets(bad.data(), bad.size(), problem));
  EXPECT_NE(problem.find("pattern 0 runs to byte 4,294,967,288"), std::string::npos) << problem;

  // Counts whose tables cannot fit (some 850 kB of them, more than the file
  // holds once it is cut to 200 kB).
  bad.assign(tune.begin(), tune.begin() + std::min<std::size_t>(tune.size(), 200000));
  std::fill(bad.begin() + 0x20, bad.begin() + 0x28, 0xFF);
  EXPECT_FALSE(CheckModuleOffsets(bad.data(), bad.size(), problem));
  EXPECT_NE(problem.find("offset tables"), std::string::npos) << problem;

  // Not an IT module: nothing to say here (the player decides).
  const char* other = "Extended Module: not ours";
  EXPECT_TRUE(CheckModuleOffsets(reinterpret_cast<const std::uint8_t*>(other), std::strlen(other), problem));
}
