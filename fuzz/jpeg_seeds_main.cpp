// Writes the JPEG target's seeds at build time: jpeg_seeds DIRECTORY
#include <cstdio>

#include "jpeg_seeds.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: jpeg_seeds DIRECTORY\n");
    return 2;
  }
  return WriteJpegSeeds(argv[1]) ? 0 : 1;
}
