// The show in a browser: the page has put the presentation under /show and
// calls main after the viewer's click.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <memory>

#include "app/options.h"
#include "assets/inventory.h"
#include "assets/loading.h"
#include "display/presenter.h"
#include "pixel/span_kernels.h"
#include "platform/web_platform.h"
#include "show/master_sequence.h"
#include "show/seek.h"
#include "show/show_length.h"

// The page closes the sound and shows the end; the module stays loaded.
EM_JS(void, zw_finished, (int code), { Module.zintavel.finished(code); });

// The page passes --gentle when the viewer chose the gentle mode, --start-at
// TIME for an address with ?t=TIME (a time that does not read starts the show
// from its beginning, after a line that says so), and --kernels NAME to do what
// ZINTAVEL_KERNELS does natively (a page has no environment), for measuring
// the references beside the vector kernels.
int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--gentle") == 0) GentleMode = true;
    if (std::strcmp(argv[i], "--kernels") == 0 && i + 1 < argc) setenv("ZINTAVEL_KERNELS", argv[++i], 1);
    if (std::strcmp(argv[i], "--start-at") == 0 && i + 1 < argc) {
      const char* text = argv[++i];
      if (const std::optional<std::uint32_t> ms = ParseShowTime(text)) StartAtMs = *ms;
      else std::fprintf(stderr, "zintavel: ?t=%s: not a time (90, 90.5, 1:30, 1:30.5 or 00:01:30); playing from the start\n", text);
    }
  }
  // The console says which kernels draw the show (the page test checks it).
  std::printf("zintavel: drawing with the %s kernels\n", ActiveSpanKernels().name);
  PresentationDirectory = "/show";
  // Under a ?t= seek, the title card as the show would fade it up, whole.
  const std::unique_ptr<Platform> platform = MakeWebPlatform(
      WholePartTwoMs, [] { return reinterpret_cast<const std::uint8_t*>(TitleCardPicture.pixels); });
  ActivePlatform = platform.get();
  const int code = MasterSequence();
  ActivePlatform = nullptr;
  zw_finished(code);
  return code;
}
