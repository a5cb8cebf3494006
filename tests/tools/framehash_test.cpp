// zintavel-framehash, which the browser build's comparisons rest on: it names
// the kernels that drew its frames, --kernels picks them, and the vector
// kernels and the references hash part one's frames alike.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "pixel/span_kernels.h"
#include "support/test_support.h"

namespace {

struct HashRun {
  int code = -1;
  std::string kernels;             // from "zintavel-framehash: NAME kernels"
  std::vector<std::string> frames;  // the "frame ..." lines
  std::string output;
};

HashRun Hash(const std::string& arguments) {
  // The environment's choice stays out: --kernels alone decides.
  const ProgramResult run = RunCommand(std::string("env -u ZINTAVEL_KERNELS ") + ZINTAVEL_BUILD_DIR +
                                       "/tools/zintavel-framehash " + arguments);
  HashRun r;
  r.code = run.code;
  r.output = run.output;
  std::istringstream lines(r.output);
  const std::string prefix = "zintavel-framehash: ", suffix = " kernels";
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("frame ", 0) == 0) r.frames.push_back(line);
    else if (line.rfind(prefix, 0) == 0 && line.size() > prefix.size() + suffix.size())
      r.kernels = line.substr(prefix.size(), line.size() - prefix.size() - suffix.size());
  }
  return r;
}

TEST(FramehashTest, NamesItsKernelsAndBothSetsDrawTheSameFrames) {
  // The title card and the first half of part one, where the vector passes work hardest.
  const std::string show = std::string("frames ") + ZINTAVEL_DEMO_DIR + " --fps 4 --quit-at 50000";
  const HashRun reference = Hash(show + " --kernels reference");
  ASSERT_EQ(reference.code, 0) << reference.output;
  EXPECT_EQ(reference.kernels, "reference");
  EXPECT_GT(reference.frames.size(), 200u);

  const HashRun chosen = Hash(show);
  ASSERT_EQ(chosen.code, 0) << chosen.output;
  const auto vector = VectorSpanKernels();
  EXPECT_EQ(chosen.kernels, vector.empty() ? "reference" : vector.front()->name);
  EXPECT_EQ(chosen.frames, reference.frames);

  // A name this processor lacks: said once, and the default draws.
  const HashRun unknown = Hash(std::string("frames ") + ZINTAVEL_DEMO_DIR + " --fps 1 --quit-at 2000 --kernels mmx");
  EXPECT_EQ(unknown.code, 0) << unknown.output;
  EXPECT_NE(unknown.output.find("ZINTAVEL_KERNELS=mmx is not available here"), std::string::npos) << unknown.output;
  EXPECT_EQ(unknown.kernels, chosen.kernels);
}

TEST(FramehashTest, AnOptionWithoutItsValueIsAUsageError) {
  for (const char* tail : {"--kernels", "--fps", "--fps 0", "--every x"}) {
    const HashRun r = Hash(std::string("frames ") + ZINTAVEL_DEMO_DIR + " " + tail);
    EXPECT_EQ(r.code, 2) << tail;
    EXPECT_NE(r.output.find("usage: zintavel-framehash"), std::string::npos) << tail;
    EXPECT_TRUE(r.frames.empty()) << tail;
  }
}

}  // namespace
