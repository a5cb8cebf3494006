// Small helpers the tests share: a temporary directory, pictures, random bytes,
// and capture of the one-line messages loaders write to stderr.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "pixel/picture.h"

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A heap Picture filled with one value (pictures are too big for the stack).
std::unique_ptr<Picture> MakePicture(Pixel fill = 0);
std::unique_ptr<Picture> RandomPicture(std::uint32_t seed);
std::vector<Pixel> RandomPixels(std::size_t count, std::mt19937& rng);

// Runs f with stderr captured and returns what it wrote.
template <typename F>
std::string CaptureStderrOf(F f);

void BeginStderrCapture();
std::string EndStderrCapture();

template <typename F>
std::string CaptureStderrOf(F f) {
  BeginStderrCapture();
  f();
  return EndStderrCapture();
}

// 256-entry RGB palette where entry i is (i, 255 - i, i / 2).
std::vector<std::uint8_t> RampPalette();

// The real program run through the shell with arguments (and environment
// assignments put before it); its exit code and what it wrote to stdout and stderr.
struct ProgramResult {
  int code;
  std::string output;
};
ProgramResult RunProgram(const std::string& arguments, const std::string& environment = "");
// Any shell command, its stderr with its stdout.
ProgramResult RunCommand(const std::string& command);

std::vector<std::uint8_t> ReadAll(const std::string& path);

// A presentation (`demo`) as symbolic links, file by file, in DIR/show, so a
// test can put anything in place of one of them; returns that directory.
std::string LinkedShow(const TempDir& dir, const std::string& demo);

// Video frames in a file as ffprobe decodes them; -1 when it does not open.
long DecodedFrames(const std::string& path);
