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
}
