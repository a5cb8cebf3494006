// The show in a browser: the page has put the presentation under /show and
// calls main after the viewer's click.
#include <memory>

#include "assets/loading.h"
#include "platform/web_platform.h"
#include "shell/master_sequence.h"

int main() {
  PresentationDirectory = "/show";
  const std::unique_ptr<Platform> platform = MakeWebPlatform();
  ActivePlatform = platform.get();
  const int code = MasterSequence();
  ActivePlatform = nullptr;
  return code;
}
