// The show in a browser: the page has put the presentation under /show and
// calls main after the viewer's click.
#include <emscripten.h>

#include <memory>

#include "assets/loading.h"
#include "platform/web_platform.h"
#include "shell/master_sequence.h"

// The page closes the sound and shows the end; the module stays loaded.
EM_JS(void, zw_finished, (int code), { Module.zintavel.finished(code); });

int main() {
  PresentationDirectory = "/show";
  const std::unique_ptr<Platform> platform = MakeWebPlatform();
  ActivePlatform = platform.get();
  const int code = MasterSequence();
  ActivePlatform = nullptr;
  zw_finished(code);
  return code;
}
