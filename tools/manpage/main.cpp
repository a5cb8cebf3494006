// zintavel-manpage OUT: the manual page zintavel(6), its options taken from
// the program's own --help text so the two cannot drift apart. The sections
// --help has no room for (keys, exit status, files, environment) are kept
// here, in the page's own words.
#include <cstdio>
#include <string>

#include "manpage.h"
#include "app/options.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zintavel-manpage OUT.6\n");
    return 2;
  }
  const std::string page = ManualPage(ProgramHelpText(), ZINTAVEL_VERSION);
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "zintavel-manpage: %s: cannot write the page\n", argv[1]);
    return 1;
  }
  return 0;
}
