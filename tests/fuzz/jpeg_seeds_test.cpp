#include "jpeg_seeds.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "assets/jpeg.h"
#include "support/test_support.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> Files(const std::string& dir) {
  std::set<std::string> names;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = d ? readdir(d) : nullptr) {
    if (e->d_name[0] != '.') names.insert(e->d_name);
  }
  if (d) closedir(d);
  return names;
}

// Every seed is a file the loader takes whole at its own slot size, and refuses
// at the others; small enough for the target's length limit; the same bytes
// when made again.
TEST(JpegSeeds, EachDecodesAtItsSlotSizeOnlyAndIsTheSameEveryTime) {
  TempDir first, second;
  ASSERT_TRUE(WriteJpegSeeds(first.Path(".")));
  ASSERT_TRUE(WriteJpegSeeds(second.Path(".")));
  const std::set<std::string> names = Files(first.Path("."));
  ASSERT_EQ(names.size(), 27u);
  const int sizes[3][2] = {{320, 240}, {256, 256}, {32, 30}};
  static Pixel slot[320 * 240];
  std::set<std::string> forms;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> bytes = Bytes(first.Path(name));
    EXPECT_EQ(bytes, Bytes(second.Path(name)));
    EXPECT_LT(bytes.size(), 16384u);
    forms.insert(name.substr(name.find('-')));
    for (const auto& s : sizes) {
      const bool its = name.starts_with(std::to_string(s[0]) + "x" + std::to_string(s[1]) + "-");
      EXPECT_EQ(DecodeJpegPicture(name.c_str(), bytes.data(), bytes.size(), slot, s[0], s[1]), its)
          << s[0] << "x" << s[1];
    }
  }
  EXPECT_EQ(forms.size(), 9u);
}

}  // namespace
