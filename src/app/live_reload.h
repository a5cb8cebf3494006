// --watch: the player looks at its presentation's data/ directory between
// frames and reloads each file that was written or moved into place, so a
// maker sees a change within a frame or two. A broken file keeps its previous
// version (app/reload.h); either way one line on stderr says so. When data/
// itself is replaced (moved away, a copy put in its place), the new one is
// watched and all its files are reloaded, said in one line.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "os/watch.h"

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
  static std::vector<std::string> FilesIn(const std::string& dir);

  DataWatcher watcher_;
  std::string data_;
  std::chrono::milliseconds interval_;
  std::chrono::steady_clock::time_point next_{};
};
