#include "app/live_reload.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/reload.h"
#include "assets/report.h"

LiveReload::LiveReload(const std::string& presentationDirectory, std::chrono::milliseconds interval,
                       DataWatcher::Way way)
    : watcher_(presentationDirectory + "/data", way), data_(presentationDirectory + "/data/"), interval_(interval) {}

int LiveReload::Poll(std::uint32_t showMs) {
  const auto now = std::chrono::steady_clock::now();
  if (now < next_) return 0;
  next_ = now + interval_;
  int replaced = 0;
  std::vector<std::string> changed = watcher_.Changed();
  const bool anew = watcher_.TakeReplaced();
  if (anew) changed = FilesIn(data_);  // a directory put in its place: every file of it may differ
  for (const std::string& name : changed) {
    switch (ReloadDataFile(name)) {
      case ReloadResult::Replaced:
        ++replaced;
        if (!anew) ReturnToMoment(showMs, name);
        break;
      case ReloadResult::KeptPrevious:
        std::fprintf(stderr, "zintavel: %s%s: not reloaded; the previous version stays on screen\n",
                     OneLine(data_).c_str(), OneLine(name).c_str());
        break;
      case ReloadResult::NotAFileOfTheShow: break;
    }
  }
  if (anew) {
    const std::uint32_t tenths = showMs / 100;
    std::fprintf(stderr, "zintavel: %s was replaced: watching the new one, %d files reloaded at %u:%02u.%u\n",
                 OneLine(data_).c_str(), replaced, tenths / 600, tenths / 10 % 60, tenths % 10);
  }
  return replaced;
}

std::vector<std::string> LiveReload::FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (const dirent* entry = ::readdir(d))
      if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void LiveReload::ReturnToMoment(std::uint32_t showMs, const std::string& replaced) {
  // Each frame is drawn from the tick counter and the buffers the reload has
  // just replaced; the clock and the state the scenes keep between frames are
  // untouched, so the next frame is this moment with the new file.
  const std::uint32_t tenths = showMs / 100;
  std::fprintf(stderr, "zintavel: %s%s: reloaded at %u:%02u.%u\n", OneLine(data_).c_str(), OneLine(replaced).c_str(), tenths / 600,
               tenths / 10 % 60, tenths % 10);
}
