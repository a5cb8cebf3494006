// What decides where a run goes before anything plays, in three modes by the
// first byte:
//   0  a command line (the rest, split at NUL) through the parser into the
//      recording's options or the live player's, with main's checks of the
//      directory; the names t, t.mp4 and t.mkv in the working directory (a
//      scratch one) are made first as the second byte's base-6 digits say:
//      missing, a file, a directory, a fifo, a dangling link or a link to
//      /dev/null;
//   1  the search for a presentation: the places (program path, the XDG
//      variables, home, the prefix) are the rest split at NUL, under a scratch
//      tree where the second byte's bits make whole and partial presentations;
//   2  the music probe over a module and an MP3 stream made of the rest (the
//      second byte splits it).
// Every refusal is one line, every exit code one the program uses.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/backend_options.h"
#include "app/options.h"
#include "app/presentation_dir.h"
#include "assets/loading.h"
#include "fuzz_support.h"
#include "sound/music_probe.h"

namespace {

std::string Root;
int Home = -1;  // the working directory libFuzzer was started in

void Check(bool holds) {
  if (!holds) __builtin_trap();
}
void CheckLine(const std::string& line) { Check(!line.empty() && line.find('\n') == std::string::npos); }

std::vector<std::string> Words(const std::uint8_t* data, std::size_t size, std::size_t most) {
  std::vector<std::string> words;
  std::string word;
  for (std::size_t i = 0; i < size && words.size() < most; ++i) {
    if (data[i] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word += static_cast<char>(data[i]);
    }
  }
  if (!word.empty() && words.size() < most) words.push_back(word);
  return words;
}

void Remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0) ::rmdir(path.c_str());
}

void Make(const std::string& path, int kind) {
  Remove(path);
  switch (kind % 6) {
    case 1:
      if (std::FILE* f = std::fopen(path.c_str(), "wb")) std::fclose(f);
      break;
    case 2: ::mkdir(path.c_str(), 0755); break;
    case 3: ::mkfifo(path.c_str(), 0644); break;
    case 4:
    case 5: {
      [[maybe_unused]] const int rc = ::symlink(kind % 6 == 4 ? "no-such-file" : "/dev/null", path.c_str());
      break;
    }
  }
}

void CommandLine(std::uint8_t kinds, const std::uint8_t* data, std::size_t size) {
  const char* names[] = {"t", "t.mp4", "t.mkv"};
  for (int i = 0, k = kinds; i < 3; ++i, k /= 6) Make(Root + "/" + names[i], k % 6);
  std::vector<std::string> words{"zintavel"};
  for (std::string& w : Words(data, size, 63)) words.push_back(std::move(w));
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  ProgramOptions options;
  std::string error;
  if (ParseOptions(static_cast<int>(words.size()), argv.data(), options, error) != ParseResult::Run) return;
  if (options.recordGiven) {
    int code = 0;
    const std::optional<RecordingOptions> rec = RecordingOptionsFrom(options, error, code);
    if (!rec) {
      CheckLine(error);
      Check(code == 1 || code == BadCommandLine);
      return;
    }
    Check(rec->sink.fps > 0 && rec->sink.every > 0 && rec->sink.path == options.record);
    Check(rec->sink.every == 1 || rec->sink.form == RecordingForm::PngDirectory);
  } else {
    const SdlOptions live = LiveOptionsFrom(options);
    Check(live.window == options.window && live.pacing == !options.noPacing);
  }
  // What main says of a --dir that is not a whole presentation.
  if (!options.dir.empty()) {
    const std::string missing = MissingFromPresentation(options.dir);
    if (!missing.empty()) CheckLine(missing);
  }
}

// A presentation under dir: whole, or without its module, or without one data file.
void MakePresentation(const std::string& dir, int how) {
  ::mkdir(dir.c_str(), 0755);
  ::mkdir((dir + "/data").c_str(), 0755);
  for (int i = 0; i < DataFileCount; ++i) {
    const std::string path = dir + "/data/" + DataFiles[i];
    Remove(path);
    if (how == 2 && i == DataFileCount / 2) continue;
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) std::fclose(f);
  }
  Remove(dir + "/tune.it");
  if (how != 1)
    if (std::FILE* f = std::fopen((dir + "/tune.it").c_str(), "wb")) std::fclose(f);
}

void Search(std::uint8_t trees, const std::uint8_t* data, std::size_t size) {
  // Four places a presentation may be: share/zintavel beside bin/, an XDG
  // home, an XDG directory and the prefix; each whole, partial or missing.
  const char* places[] = {"/share/zintavel", "/home/zintavel", "/dirs/zintavel", "/prefix/share/zintavel"};
  for (int i = 0; i < 4; ++i) {
    const int how = (trees >> (2 * i)) % 4;
    const std::string dir = Root + places[i];
    if (how == 3) {
      Remove(dir + "/tune.it");
      continue;
    }
    MakePresentation(dir, how);
  }
  std::vector<std::string> words = Words(data, size, 5);
  words.resize(5);
  // Relative places are taken under the scratch tree, as written.
  SearchPlaces p{words[0], words[1], words[2], words[3], words[4]};
  const std::vector<std::string> candidates = PresentationCandidates(p);
  Check(std::set<std::string>(candidates.begin(), candidates.end()).size() == candidates.size());
  std::string tried;
  const std::optional<std::string> found = FindPresentation(p, tried);
  if (found) Check(MissingFromPresentation(*found).empty());
  else CheckLine(tried);
}

void Music(std::uint8_t split, const std::uint8_t* data, std::size_t size) {
  const std::size_t cut = size * split / 255;
  const std::string module = Root + "/tune.it", stream = Root + "/intro.mp3";
  for (const auto& [path, from, n] : {std::tuple{module, data, cut}, std::tuple{stream, data + cut, size - cut}}) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
      if (n) std::fwrite(from, 1, n, f);
      std::fclose(f);
    }
  }
  const MusicFacts facts = ProbeMusic(module, stream);
  Check(std::isfinite(facts.moduleSeconds) && facts.moduleSeconds >= 0);
  Check(std::isfinite(facts.streamSeconds) && facts.streamSeconds >= 0);
  Check(facts.streamPeakAfterPartOne >= 0 && facts.streamPeakAfterPartOne <= 1.0001f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Root = ScratchPath("control");
  ::mkdir(Root.c_str(), 0755);
  Home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return Home >= 0 ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // Relative names on the command line and among the places land in the
  // scratch directory; libFuzzer's own (the corpus) are back where they were.
  Check(::chdir(Root.c_str()) == 0);
  switch (data[0] % 3) {
    case 0: CommandLine(data[1], data + 2, size - 2); break;
    case 1: Search(data[1], data + 2, size - 2); break;
    case 2: Music(data[1], data + 2, size - 2); break;
  }
  Check(::fchdir(Home) == 0);
  return 0;
}
