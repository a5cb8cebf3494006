// --watch as the player runs it: a presentation whose data/ links to the
// generated data set, loaded once, then each input changes one file of it and
// the live reload looks (the watcher through inotify or by polling, the
// reload of that file, the show's buffers replaced or kept). The input:
// [file][how][way], then the file's new bytes. How: written in place, written
// aside and moved over it, removed, made a directory or a dangling link, or
// (7 alone) data/ replaced as a whole by a copy holding the new file;
// way: odd polls, even uses inotify. Nothing is put back between inputs: a
// broken file stays broken, as it would while someone edits.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "app/live_reload.h"
#include "assets/loading.h"
#include "fuzz_support.h"

namespace {

std::string Root, Data;
std::unique_ptr<LiveReload> Watching[2];  // by inotify, by polling
std::uint32_t ShowMs = 0;

void Remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0) ::rmdir(path.c_str());
}

void Put(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) std::fwrite(bytes, 1, size, f);
  std::fclose(f);
}

// data/ as the data set's own files, through links.
void LinkDataSet(const std::string& dir) {
  ::mkdir(dir.c_str(), 0755);
  for (int i = 0; i < DataFileCount; ++i) {
    const std::string to = std::string(ZINTAVEL_DEMO_DIR) + "/data/" + DataFiles[i];
    [[maybe_unused]] const int rc = ::symlink(to.c_str(), (dir + "/" + DataFiles[i]).c_str());
  }
}

void RemoveTree(const std::string& dir) {
  for (int i = 0; i < DataFileCount; ++i) Remove(dir + "/" + DataFiles[i]);
  Remove(dir + "/.new");
  ::rmdir(dir.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Root = ScratchPath("reload");
  Data = Root + "/data";
  ::mkdir(Root.c_str(), 0755);
  LinkDataSet(Data);
  PresentationDirectory = Root;
  if (!LoadAssets()) return 1;
  Watching[0] = std::make_unique<LiveReload>(Root, std::chrono::milliseconds(0), DataWatcher::Way::Inotify);
  Watching[1] = std::make_unique<LiveReload>(Root, std::chrono::milliseconds(0), DataWatcher::Way::Polling);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::string name = DataFiles[data[0] % DataFileCount];
  const std::string path = Data + "/" + name;
  const std::uint8_t* bytes = data + 3;
  const std::size_t length = size - 3;
  // Replacing data/ reloads every file (the pictures take most of the time):
  // only the one value 7 asks for it, so most inputs look at one file.
  switch (data[1] == 7 ? 7 : data[1] % 7) {
    case 0:
    case 1:
      Remove(path);  // a link would write through to the data set
      Put(path, bytes, length);
      break;
    case 2:
    case 3:
      Put(Data + "/.new", bytes, length);
      std::rename((Data + "/.new").c_str(), path.c_str());
      break;
    case 4: Remove(path); break;
    case 5:
      Remove(path);
      ::mkdir(path.c_str(), 0755);
      break;
    case 6: {
      Remove(path);
      [[maybe_unused]] const int rc = ::symlink("no-such-file", path.c_str());
      break;
    }
    case 7: {
      // mv data data.old; a copy in its place; the old one goes.
      const std::string old = Root + "/data.old";
      RemoveTree(old);
      std::rename(Data.c_str(), old.c_str());
      LinkDataSet(Data);
      Remove(path);
      Put(path, bytes, length);
      RemoveTree(old);
      break;
    }
  }
  ShowMs += 16;
  // Both ways see every change; the one not asked looks too, now and then,
  // so its queue or its list of files does not fall far behind.
  const int way = data[2] % 2;
  Watching[way]->Poll(ShowMs);
  if (data[2] % 16 == 15) Watching[1 - way]->Poll(ShowMs);
  return 0;
}
