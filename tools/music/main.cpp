// zintavel-music OUTDIR [SOUNDFONT]: writes the default music beside
// OUTDIR/data/: OUTDIR/tune.it (the module from the countdown on) and
// OUTDIR/intro.mp3 (part one, rendered from its own module and encoded). The
// instruments come from the General MIDI soundfont (FluidR3_GM unless given).
// Deterministic.
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "band.h"
#include "compose.h"
#include "pcx_writer.h"
#include "render.h"
#include "soundfont.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: zintavel-music OUTDIR [SOUNDFONT]\n  writes OUTDIR/tune.it and OUTDIR/intro.mp3\n");
    return 2;
  }
  const std::string out = argv[1];
  std::string error;
  const std::optional<Band> band = MakeBand(argc == 3 ? argv[2] : DefaultSoundfont, error);
  if (!band) {
    std::fprintf(stderr, "zintavel-music: %s\n", error.c_str());
    return 1;
  }
  if (!WriteBytes(out + "/tune.it", WriteIt(TuneSong(*band)))) return 1;

  std::vector<float> intro = RenderModule(WriteIt(IntroSong(*band)), 56.0, error);
  if (intro.empty()) {
    std::fprintf(stderr, "zintavel-music: part one's module does not load: %s\n", error.c_str());
    return 1;
  }
  // Fade to silence by 54 s, while the picture fades from 50 s.
  for (std::size_t f = 0; f < intro.size() / 2; ++f) {
    const double t = f / 44100.0;
    const double g = t < 50.0 ? 1.0 : t >= 54.0 ? 0.0 : 0.5 + 0.5 * std::cos((t - 50.0) / 4.0 * 3.14159265358979);
    intro[2 * f] = static_cast<float>(intro[2 * f] * g);
    intro[2 * f + 1] = static_cast<float>(intro[2 * f + 1] * g);
  }
  if (!WriteBytes(out + "/intro.mp3", EncodeMp3(intro, 192))) return 1;
  std::printf("zintavel-music: wrote %s/tune.it and %s/intro.mp3\n", out.c_str(), out.c_str());
  return 0;
}
