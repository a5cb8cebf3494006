// Which files of a directory were written or moved into place since the last
// look (--watch looks at data/ between frames): through inotify where the
// system has it, else by comparing every file's size, inode and time of
// change (polling). It never blocks. A directory replaced as a whole (moved
// away and another put under its name) is noticed by its inode at each look:
// the new one is watched from then on, and the old one no longer.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
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
  // Whether the directory was replaced by another since the last call; its
  // files then all count as changed, and Changed() names none of them.
  bool TakeReplaced();

 private:
  using Stamp = std::tuple<off_t, ino_t, std::int64_t>;  // size, inode, change time (ns)
  std::map<std::string, Stamp> Scan() const;
  void Watch();
  // The directory's identity (device, inode) now; zeros when it is not there.
  std::pair<dev_t, ino_t> Identity() const;

  std::string directory_;
  Way way_;
  int fd_ = -1, wd_ = -1;
  std::map<std::string, Stamp> seen_;
  std::pair<dev_t, ino_t> identity_{};
  bool replaced_ = false;
};
