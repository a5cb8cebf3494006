// Where the program looks for its presentation, and what counts as one.
#include "app/presentation_dir.h"
#include "os/program_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_support.h"

namespace fs = std::filesystem;

TEST(PresentationDirTest, CandidatesInOrderWithoutRepeats) {
  using V = std::vector<std::string>;
  SearchPlaces installed{"/usr/bin/zintavel", "", "", "/home/ann", "/usr/local"};
  EXPECT_EQ(PresentationCandidates(installed),
            (V{".", "/usr/share/zintavel", "/home/ann/.local/share/zintavel", "/usr/local/share/zintavel"}));
  SearchPlaces built{"/opt/z/build/src/zintavel", "/xdg/home", "/a:relative:/b/", "", ""};
  EXPECT_EQ(PresentationCandidates(built), (V{".", "/opt/z/build/share/zintavel", "/opt/z/build/demo",
                                              "/xdg/home/zintavel", "/a/zintavel", "/b//zintavel"}));
  EXPECT_EQ(PresentationCandidates(SearchPlaces{}), (V{".", "/usr/local/share/zintavel", "/usr/share/zintavel"}));
  EXPECT_EQ(ProgramPath().substr(0, 1), "/");
}

TEST(PresentationDirTest, OnlyAWholePresentationCounts) {
  EXPECT_EQ(MissingFromPresentation(ZINTAVEL_DEMO_DIR), "");
  TempDir dir;
  const std::string partial = dir.Path("partial");
  EXPECT_EQ(MissingFromPresentation(partial), "no such directory");
  fs::create_directories(partial + "/data");
  EXPECT_EQ(MissingFromPresentation(partial), "no data/card.pcx");
  fs::copy(std::string(ZINTAVEL_DEMO_DIR) + "/data", partial + "/data", fs::copy_options::recursive);
  EXPECT_EQ(MissingFromPresentation(partial), "no tune.it");
  fs::remove(partial + "/data/pages2.txt");
  EXPECT_EQ(MissingFromPresentation(partial), "no data/pages2.txt");
  fs::copy(std::string(ZINTAVEL_DEMO_DIR) + "/data/pages2.txt", partial + "/data/pages2.txt");
  EXPECT_EQ(MissingFromPresentation(partial), "no tune.it");
  fs::create_directory(partial + "/tune.it");  // a directory is no module
  EXPECT_EQ(MissingFromPresentation(partial), "no tune.it");
  fs::remove(partial + "/tune.it");
  std::ofstream(partial + "/tune.it") << "x";
  EXPECT_EQ(MissingFromPresentation(partial), "");

  // A stray data/ in the working directory does not shadow a whole one further on.
  const std::string root = fs::path(dir.Path("x")).parent_path().string();
  const std::string work = root + "/work";
  fs::create_directories(work + "/data");
  fs::create_directories(root + "/share");
  fs::rename(partial, root + "/share/zintavel");
  const fs::path before = fs::current_path();
  fs::current_path(work);
  std::string tried;
  const SearchPlaces places{"", root + "/home", root + "/none:" + root + "/share", "", ""};
  const std::optional<std::string> found = FindPresentation(places, tried);
  fs::remove_all(root + "/share/zintavel");
  const std::optional<std::string> none = FindPresentation(places, tried);
  fs::current_path(before);
  EXPECT_EQ(found.value_or("nothing"), root + "/share/zintavel");
  EXPECT_FALSE(none);
  EXPECT_EQ(tried, "the working directory (no data/card.pcx), " + root + "/home/zintavel (no such directory), " +
                       root + "/none/zintavel (no such directory), " + root + "/share/zintavel (no such directory)");
}

TEST(PresentationDirTest, ProgramRunFromADirectoryWithAStrayDataDirectory) {
  TempDir dir;
  fs::create_directories(dir.Path("data"));
  ProgramResult r = RunProgram("--record rec --fps 10 --quit-at 100", "cd " + dir.Path("") + " &&");
  EXPECT_EQ(r.code, 0) << r.output;
  EXPECT_TRUE(fs::exists(dir.Path("rec/frame-000000.png"))) << r.output;
  // Whoever edits that data/ is told why it is not what plays.
  EXPECT_NE(r.output.find("the data/ here is passed over (no data/card.pcx; --dir . plays it anyway)"),
            std::string::npos) << r.output;
}

TEST(PresentationDirTest, NewMakesAShowOfOnesOwn) {
  TempDir dir;
  const std::string mine = dir.Path("mine");
  ProgramResult r = RunProgram("--new " + mine, "cd " + dir.Path("") + " &&");
  ASSERT_EQ(r.code, 0) << r.output;
  EXPECT_NE(r.output.find("zintavel --window --watch --dir " + mine), std::string::npos) << r.output;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(std::string(ZINTAVEL_DEMO_DIR) + "/data")) {
    EXPECT_EQ(ReadAll(entry.path().string()), ReadAll(mine + "/data/" + entry.path().filename().string()));
    ++files;
  }
  EXPECT_GT(files, 40);
  EXPECT_EQ(ReadAll(std::string(ZINTAVEL_DEMO_DIR) + "/tune.it"), ReadAll(mine + "/tune.it"));
  EXPECT_TRUE(fs::exists(mine + "/README.txt"));
  // It is a whole presentation, and what it says to run runs.
  EXPECT_EQ(RunProgram("--check --dir " + mine).code, 0);
  // Never over something that is there.
  r = RunProgram("--new " + mine);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.output.find(mine + ": not empty"), std::string::npos) << r.output;
  std::ofstream(dir.Path("file")) << "x";
  EXPECT_EQ(RunProgram("--new " + dir.Path("file")).code, 1);
  EXPECT_EQ(RunProgram("--new " + dir.Path("x") + " --check").code, 2);
}
