// Reloading one file of data/ while the show runs (--watch). The new file is
// decoded aside first: only a file that loads without a problem replaces what
// is on screen, together with everything made from it (the upside-down mirror,
// the tint and the page points, the ticker strip, the pages drawn with a
// reloaded font). A broken file keeps the previous version; its loader has
// said what is wrong. The work pictures the scenes carry from frame to frame
// are left as they were, so the show goes on at the same moment.
#pragma once

#include <string>

enum class ReloadResult {
  Replaced,
  KeptPrevious,  // the new file has a problem (said on stderr)
  NotAFileOfTheShow,
};

// `name` is a file name in data/, e.g. "img04.jpg". Call between frames, after
// LoadAssets.
ReloadResult ReloadDataFile(const std::string& name);
