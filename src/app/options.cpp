#include "app/options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "assets/report.h"
#include "platform/keys.h"

const char* const ProgramHelp =
    "usage: zintavel [options]\n"
    "Plays the Zintavel demo full screen with its music; Escape or closing the window\n"
    "ends it after a ten-second closing fade. Warning: it flashes (see --gentle).\n"
    "The keys while it plays are listed after the options.\n"
    "\n"
    "  -d, --dir DIR       run in the presentation directory DIR (holding data/, tune.it\n"
    "                      and intro.mp3); default: the working directory when it holds\n"
    "                      a whole presentation, else the installed one\n"
    "  -w, --window        a resizable window instead of full screen\n"
    "  -m, --mute          open no sound device\n"
    "      --gentle        hold back flashes past three a second\n"
    "      --no-warning    no warning card before the show (it says the demo flashes,\n"
    "                      and sets up the show: screen, display, gentle mode, sound,\n"
    "                      kept for next time), and none of the choices kept by it\n"
    "      --display N     the screen to play on (0 is the first)\n"
    "      --scale MODE    in a window or on a screen: integer (whole multiples, the\n"
    "                      default) or fit (the largest 4:3 size); with --record, a whole\n"
    "                      number N from 1 to 8 enlarges every recorded frame N times\n"
    "      --no-pacing     draw frames as fast as possible (for measuring)\n"
    "      --depth N       use only display depth N (32, 24, 16 or 15)\n"
    "      --double        use only the doubled 640x480 mode\n"
    "  -r, --record PATH   no window, no sound device, a virtual clock: to a video file\n"
    "                      (PATH ending in .mp4, .mkv or .webm), or to a directory of\n"
    "                      frame-NNNNNN.png files and audio.wav\n"
    "      --fps N         frames a second of the virtual clock (default 60)\n"
    "      --every N       write only every Nth frame (PNG recordings only; default 1)\n"
    "      --quit-at MS    ask to quit once the clock has run MS ms (a recording without\n"
    "                      it quits once the whole show has played)\n"
    "      --start-tick T  the virtual clock's first value (default 0)\n"
    "      --check         read the whole presentation as start-up does, with no window\n"
    "                      and no sound, print one line per problem and a summary;\n"
    "                      exit 0 when there is nothing to say, 1 otherwise\n"
    "      --watch         reload a file of data/ when it changes and go on at the same\n"
    "                      moment (a broken file keeps the previous version)\n"
    "      --new DIR       copy the presentation (the installed one, or --dir's) into\n"
    "                      the new directory DIR, with a README of its files, to make\n"
    "                      a show of one's own; play it with --dir DIR --watch\n"
    "      --start-at TIME start the show at TIME, picture and sound, live or recorded;\n"
    "                      TIME as 90, 90.5, 1:30, 1:30.5 or 00:01:30 (seconds, or\n"
    "                      [hours:]minutes:seconds)\n"
    "      --stop-at TIME  end a recording at TIME without the closing fade (a clip)\n"
    "      --quality Q     .mp4 and .webm: small, medium (the default) or high, or the\n"
    "                      encoder's CRF (0-51 for .mp4, 0-63 for .webm; lower is better)\n"
    "      --size MB       .mp4 and .webm: fit the file in MB megabytes (bit rates and,\n"
    "                      without --scale, the enlargement for the length recorded)\n"
    "      --force         replace an earlier recording's frames and audio.wav in a PNG\n"
    "                      directory (without it such a directory is refused; an existing\n"
    "                      video file is always replaced)\n"
    "  -h, --help          this text\n"
    "  -V, --version       the program's version\n";

std::string ProgramHelpText() { return std::string(ProgramHelp) + "\n" + KeysHeading + "\n" + KeysHelp(); }

std::optional<std::uint32_t> ParseNumber(const char* text, std::uint64_t low, std::uint64_t high) {
  if (!text || !*text) return std::nullopt;
  // strtoull alone would take leading blanks and signs.
  for (const char* c = text; *c; ++c)
    if (*c < '0' || *c > '9') return std::nullopt;
  errno = 0;
  const unsigned long long v = std::strtoull(text, nullptr, 10);
  if (errno || v < low || v > high) return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

std::optional<std::uint32_t> ParseShowTime(const char* text) {
  if (!text || !*text) return std::nullopt;
  std::uint64_t fields[3] = {};
  int count = 0;
  const char* c = text;
  for (;;) {
    if (*c < '0' || *c > '9' || count == 3) return std::nullopt;
    std::uint64_t v = 0;
    for (; *c >= '0' && *c <= '9'; ++c) {
      v = v * 10 + static_cast<std::uint64_t>(*c - '0');
      if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    fields[count++] = v;
    if (*c != ':') break;
    ++c;
  }
  std::uint64_t ms = 0;
  if (*c == '.') {
    ++c;
    if (*c < '0' || *c > '9') return std::nullopt;
    std::uint64_t scale = 100;
    for (; *c >= '0' && *c <= '9'; ++c, scale /= 10) ms += static_cast<std::uint64_t>(*c - '0') * scale;
  }
  if (*c) return std::nullopt;
  // Minutes and seconds below a larger field stay under 60, as a clock's do.
  for (int i = 1; i < count; ++i)
    if (fields[i] >= 60) return std::nullopt;
  std::uint64_t seconds = 0;
  for (int i = 0; i < count; ++i) seconds = seconds * 60 + fields[i];
  ms += seconds * 1000;
  if (ms > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(ms);
}

std::optional<int> ParseQualityLevel(const std::string& text) {
  if (text == "small") return QualitySmall;
  if (text == "medium") return QualityMedium;
  if (text == "high") return QualityHigh;
  const auto n = ParseNumber(text.c_str(), 0, 99);
  if (!n) return std::nullopt;
  return static_cast<int>(*n);
}

namespace {

enum LongOnly {
  OptGentle = 256,
  OptDisplay,
  OptScale,
  OptNoPacing,
  OptDepth,
  OptDouble,
  OptFps,
  OptEvery,
  OptQuitAt,
  OptStartTick,
  OptCheck,
  OptWatch,
  OptStartAt,
  OptStopAt,
  OptForce,
  OptNoWarning,
  OptQuality,
  OptSize,
  OptNew,
};

const option LongOptions[] = {
    {"dir", required_argument, nullptr, 'd'},
    {"window", no_argument, nullptr, 'w'},
    {"mute", no_argument, nullptr, 'm'},
    {"gentle", no_argument, nullptr, OptGentle},
    {"display", required_argument, nullptr, OptDisplay},
    {"scale", required_argument, nullptr, OptScale},
    {"no-pacing", no_argument, nullptr, OptNoPacing},
    {"depth", required_argument, nullptr, OptDepth},
    {"double", no_argument, nullptr, OptDouble},
    {"record", required_argument, nullptr, 'r'},
    {"fps", required_argument, nullptr, OptFps},
    {"every", required_argument, nullptr, OptEvery},
    {"quit-at", required_argument, nullptr, OptQuitAt},
    {"start-tick", required_argument, nullptr, OptStartTick},
    {"check", no_argument, nullptr, OptCheck},
    {"watch", no_argument, nullptr, OptWatch},
    {"start-at", required_argument, nullptr, OptStartAt},
    {"stop-at", required_argument, nullptr, OptStopAt},
    {"force", no_argument, nullptr, OptForce},
    {"no-warning", no_argument, nullptr, OptNoWarning},
    {"quality", required_argument, nullptr, OptQuality},
    {"size", required_argument, nullptr, OptSize},
    {"new", required_argument, nullptr, OptNew},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// The name the user typed for the option just read, for messages.
std::string Typed(char** argv) {
  std::string s = argv[optind - 1];
  const auto eq = s.find('=');
  return eq == std::string::npos ? s : s.substr(0, eq);
}

// The long options `typed` abbreviates when it abbreviates more than one
// ("--s": --scale, --start-tick, ...), else nothing.
std::string Candidates(const std::string& typed) {
  if (typed.size() < 3 || typed.compare(0, 2, "--") != 0) return {};
  const std::string prefix = typed.substr(2);
  std::string names;
  int count = 0;
  for (const option* o = LongOptions; o->name; ++o) {
    if (std::strncmp(o->name, prefix.c_str(), prefix.size()) != 0) continue;
    if (prefix == o->name) return {};
    names += (count++ ? ", --" : "--") + std::string(o->name);
  }
  return count > 1 ? names : std::string();
}

}  // namespace

ParseResult ParseOptions(int argc, char** argv, ProgramOptions& o, std::string& error) {
  optind = 0;  // glibc: start afresh, so the parser can run more than once
  opterr = 0;
  auto bad = [&](std::string message) {
    error = OneLine(std::move(message));  // one line, whatever the arguments it quotes hold
    return ParseResult::Bad;
  };
  int c;
  while ((c = getopt_long(argc, argv, ":d:wmr:hV", LongOptions, nullptr)) != -1) {
    switch (c) {
      case 'd':
        if (!*optarg) return bad("--dir needs a directory");
        o.dir = optarg;
        break;
      case 'w': o.window = true; break;
      case 'm': o.mute = true; break;
      case OptGentle: o.gentle = true; break;
      case OptNoPacing: o.noPacing = true; break;
      case OptForce: o.force = true; break;
      case OptNoWarning: o.noWarning = true; break;
      case OptQuality:
        o.quality = ParseQualityLevel(optarg);
        if (!o.quality) return bad("--quality takes small, medium, high or the encoder's CRF (a whole number)");
        break;
      case OptSize:
        o.sizeMb = ParseNumber(optarg, 1, 1000000);
        if (!o.sizeMb) return bad("--size takes megabytes, a whole number from 1 to 1000000");
        break;
      case OptDouble: o.forceDoubling = true; break;
      case OptDisplay: {
        const auto n = ParseNumber(optarg, 0, 63);
        if (!n) return bad("--display takes a screen number from 0 to 63");
        o.display = static_cast<int>(*n);
        break;
      }
      case OptScale: {
        if (std::strcmp(optarg, "integer") == 0) {
          o.scaleMode = ScaleMode::Integer;
        } else if (std::strcmp(optarg, "fit") == 0) {
          o.scaleMode = ScaleMode::Fit;
        } else {
          const auto n = ParseNumber(optarg, 1, 8);
          if (!n) return bad("--scale takes integer, fit, or a whole number from 1 to 8");
          o.scaleFactor = static_cast<int>(*n);
        }
        break;
      }
      case OptDepth: {
        const auto d = ParseNumber(optarg, 15, 32);
        if (!d || (*d != 32 && *d != 24 && *d != 16 && *d != 15)) return bad("--depth takes 32, 24, 16 or 15");
        o.depth = static_cast<int>(*d);
        break;
      }
      case 'r':
        if (!*optarg) return bad("--record needs a directory or a video file name");
        o.record = optarg;
        o.recordGiven = true;
        break;
      case OptFps: {
        const auto n = ParseNumber(optarg, 1, 1000);
        if (!n) return bad("--fps takes a whole number from 1 to 1000");
        o.fps = *n;
        break;
      }
      case OptEvery: {
        const auto n = ParseNumber(optarg, 1, 1000000);
        if (!n) return bad("--every takes a whole number from 1 to 1000000");
        o.every = *n;
        break;
      }
      case OptQuitAt:
        o.quitAt = ParseNumber(optarg, 0, 0xFFFFFFFFull);
        if (!o.quitAt) return bad("--quit-at takes milliseconds, a whole number below 2^32");
        break;
      case OptStartTick: {
        const auto n = ParseNumber(optarg, 0, 0xFFFFFFFFull);
        if (!n) return bad("--start-tick takes a whole number below 2^32");
        o.startTick = *n;
        break;
      }
      case OptCheck: o.check = true; break;
      case OptWatch: o.watch = true; break;
      case OptNew:
        if (!*optarg) return bad("--new takes a directory to make");
        o.newShow = optarg;
        break;
      case OptStartAt:
      case OptStopAt: {
        const auto ms = ParseShowTime(optarg);
        if (!ms) return bad(std::string(c == OptStartAt ? "--start-at" : "--stop-at") + " takes a time such as 90, 90.5, 1:30 or 00:01:30 (not '" + optarg + "')");
        (c == OptStartAt ? o.startAt : o.stopAt) = ms;
        break;
      }
      case 'h': return ParseResult::Help;
      case 'V': return ParseResult::Version;
      case ':': return bad(Typed(argv) + " needs a value");
      default:
        // getopt names a known option that was given a value it does not take.
        if (optopt >= OptGentle || (optopt && std::strchr("wmhV", optopt) && Typed(argv).size() > 2))
          return bad(Typed(argv) + " takes no value");
        if (const std::string candidates = Candidates(Typed(argv)); !candidates.empty())
          return bad("option '" + Typed(argv) + "' is ambiguous: it may be " + candidates);
        return bad("unknown option '" + Typed(argv) + "'");
    }
  }
  if (optind < argc) return bad(std::string("unexpected argument '") + argv[optind] + "'");
  if (o.stopAt && !o.recordGiven) return bad("--stop-at goes with --record (a player ends with Escape)");
  if (o.stopAt && *o.stopAt <= o.startAt.value_or(0)) return bad("--stop-at must come after --start-at");
  if (o.force && !o.recordGiven) return bad("--force goes with --record");
  if ((o.quality || o.sizeMb) && !o.recordGiven) return bad("--quality and --size go with --record");
  if (o.quality && o.sizeMb) return bad("--quality and --size exclude each other: a size sets the rate");
  if (o.scaleFactor && !o.recordGiven) return bad("--scale N goes with --record; a window takes integer or fit");
  if (o.check && (o.recordGiven || o.watch)) return bad("--check reads the presentation and plays nothing; it goes with --dir only");
  if (o.watch && o.recordGiven) return bad("--watch goes with a window or full screen, not with --record");
  if (!o.newShow.empty() && (o.recordGiven || o.watch || o.check))
    return bad("--new makes a presentation directory and plays nothing; it goes with --dir only");
  return ParseResult::Run;
}
