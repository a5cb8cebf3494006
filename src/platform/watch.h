// --watch: the player looks at its presentation's data/ directory between
// frames and reloads each file that was written or moved into place, so a
// maker sees a change within a frame or two.
//
// DataWatcher says which files changed, through inotify where the system has
// it, else by comparing every file's size, inode and time of change (polling).
// It never blocks. LiveReload reloads the changed files of the show (a broken
// one keeps its previous version, see assets/reload.h) and says so on stderr.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

class DataWatcher {
 public:
  enum class Way { Inotify, Polling };
  // Inotify falls back to polling when the system cannot watch the directory.
  explicit DataWatcher(const std::string& directory, Way way = Way::Inotify);
  ~DataWatcher();
  DataWatcher(const DataWatcher&) = delete;
  DataWatcher& operator=(const DataWatcher&) = delete;

  // The names of the files written, moved in or removed since the last call,
  // each once, in name order.
  std::vector<std::string> Changed();
  Way way() const { return way_; }

 private:
  using Stamp = std::tuple<off_t, ino_t, std::int64_t>;  // size, inode, change time (ns)
  std::map<std::string, Stamp> Scan() const;

  std::string directory_;
  Way way_;
  int fd_ = -1;
  std::map<std::string, Stamp> seen_;
};

class LiveReload {
 public:
  // Looks no more often than every `interval` of wall time.
  explicit LiveReload(const std::string& presentationDirectory,
                      std::chrono::milliseconds interval = std::chrono::milliseconds(100),
                      DataWatcher::Way way = DataWatcher::Way::Inotify);

  // Between frames; `showMs` is how far the show has run. Returns how many
  // files replaced what was on screen.
  int Poll(std::uint32_t showMs);
  DataWatcher::Way way() const { return watcher_.way(); }

 private:
  // The show goes on from the moment it had reached, with the new files.
  void ReturnToMoment(std::uint32_t showMs, const std::string& replaced);

  DataWatcher watcher_;
  std::string data_;
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point next_{};
};
