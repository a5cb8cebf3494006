#include "app/live_reload.h"

#include <cstdio>

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
  for (const std::string& name : watcher_.Changed()) {
    switch (ReloadDataFile(name)) {
      case ReloadResult::Replaced:
        ++replaced;
        ReturnToMoment(showMs, name);
        break;
      case ReloadResult::KeptPrevious:
        std::fprintf(stderr, "zintavel: %s%s: not reloaded; the previous version stays on screen\n",
                     OneLine(data_).c_str(), OneLine(name).c_str());
        break;
      case ReloadResult::NotAFileOfTheShow: break;
    }
  }
  return replaced;
}

void LiveReload::ReturnToMoment(std::uint32_t showMs, const std::string& replaced) {
  // Each frame is drawn from the tick counter and the buffers the reload has
  // just replaced; the clock and the state the scenes keep between frames are
  // untouched, so the next frame is this moment with the new file.
  const std::uint32_t tenths = showMs / 100;
  std::fprintf(stderr, "zintavel: %s%s: reloaded at %u:%02u.%u\n", OneLine(data_).c_str(), OneLine(replaced).c_str(), tenths / 600,
               tenths / 10 % 60, tenths % 10);
}
