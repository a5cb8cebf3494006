// The data directory's watcher, both ways: each change is told once, whether
// a file is written in place, moved in or removed, and nothing is told twice.
#include "os/watch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using Names = std::vector<std::string>;

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

}  // namespace

TEST(WatchTest, EachChangeIsToldOnceEitherWay) {
  for (DataWatcher::Way way : {DataWatcher::Way::Inotify, DataWatcher::Way::Polling}) {
    SCOPED_TRACE(way == DataWatcher::Way::Inotify ? "inotify" : "polling");
    TempDir dir;
    const std::string data = dir.Path("data");
    std::filesystem::create_directory(data);
    Write(data + "/a.txt", "a");
    Write(data + "/b.txt", "b");
    DataWatcher watcher(data, way);
    EXPECT_EQ(watcher.way(), way);
    EXPECT_EQ(watcher.Changed(), Names{});

    Write(data + "/b.txt", "bb");                              // written in place
    Write(data + "/.b.swp", "x");                              // an editor's own file
    Write(data + "/.new", "cc");
    std::filesystem::rename(data + "/.new", data + "/c.txt");  // moved into place
    EXPECT_EQ(watcher.Changed(), (Names{"b.txt", "c.txt"}));
    EXPECT_EQ(watcher.Changed(), Names{});

    std::filesystem::remove(data + "/a.txt");
    EXPECT_EQ(watcher.Changed(), Names{"a.txt"});
  }
}

TEST(WatchTest, AMissingDirectoryFallsBackToPollingAndTellsNothing) {
  TempDir dir;
  DataWatcher watcher(dir.Path("nothing-here"));
  EXPECT_EQ(watcher.way(), DataWatcher::Way::Polling);
  EXPECT_EQ(watcher.Changed(), Names{});
}

TEST(WatchTest, AReplacedDirectoryIsWatchedAnew) {
  for (DataWatcher::Way way : {DataWatcher::Way::Inotify, DataWatcher::Way::Polling}) {
    SCOPED_TRACE(way == DataWatcher::Way::Inotify ? "inotify" : "polling");
    TempDir dir;
    const std::string data = dir.Path("data"), old = dir.Path("data.old");
    std::filesystem::create_directory(data);
    Write(data + "/a.txt", "a");
    DataWatcher watcher(data, way);
    EXPECT_FALSE(watcher.TakeReplaced());

    // mv data data.old: an edit there, before and after a copy takes its name, is not ours.
    std::filesystem::rename(data, old);
    Write(old + "/a.txt", "moved");
    EXPECT_EQ(watcher.Changed(), Names{});
    EXPECT_FALSE(watcher.TakeReplaced());
    std::filesystem::copy(old, data);
    Write(old + "/a.txt", "old again");
    EXPECT_EQ(watcher.Changed(), Names{});
    EXPECT_TRUE(watcher.TakeReplaced());
    EXPECT_FALSE(watcher.TakeReplaced());

    Write(old + "/a.txt", "old once more");
    Write(data + "/b.txt", "new");
    EXPECT_EQ(watcher.Changed(), Names{"b.txt"});
    EXPECT_FALSE(watcher.TakeReplaced());
  }
}
