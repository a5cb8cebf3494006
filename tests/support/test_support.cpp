#include "support/test_support.h"

#include <gtest/gtest.h>

#ifdef _WIN32
// pclose gives the program's exit code itself.
#define WIFEXITED(status) true
#define WEXITSTATUS(status) (status)
#else
#include <sys/wait.h>
#endif

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

TempDir::TempDir() {
#ifdef _WIN32
  // No mkdtemp: the process and a counter name it; a name taken is skipped.
  static int made = 0;
  for (std::error_code error;;) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("zintavel-test-" + std::to_string(_getpid()) + "-" + std::to_string(made++));
    if (std::filesystem::create_directory(dir, error)) {
      path_ = dir.generic_string();
      return;
    }
    if (made > 10000) std::abort();
  }
#else
  std::string pattern = (std::filesystem::temp_directory_path() / "zintavel-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  if (!made) std::abort();
  path_ = made;
#endif
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::unique_ptr<Picture> MakePicture(Pixel fill) {
  auto picture = std::make_unique<Picture>();
  for (Pixel& p : picture->pixels) p = fill;
  return picture;
}

std::vector<Pixel> RandomPixels(std::size_t count, std::mt19937& rng) {
  std::vector<Pixel> pixels(count);
  for (Pixel& p : pixels) p = static_cast<Pixel>(rng());
  return pixels;
}

std::unique_ptr<Picture> RandomPicture(std::uint32_t seed) {
  std::mt19937 rng(seed);
  auto picture = std::make_unique<Picture>();
  for (Pixel& p : picture->pixels) p = static_cast<Pixel>(rng());
  return picture;
}

void BeginStderrCapture() { testing::internal::CaptureStderr(); }
std::string EndStderrCapture() { return testing::internal::GetCapturedStderr(); }

std::vector<std::uint8_t> RampPalette() {
  std::vector<std::uint8_t> palette(768);
  for (int i = 0; i < 256; ++i) {
    palette[3 * i] = static_cast<std::uint8_t>(i);
    palette[3 * i + 1] = static_cast<std::uint8_t>(255 - i);
    palette[3 * i + 2] = static_cast<std::uint8_t>(i / 2);
  }
  return palette;
}

ProgramResult RunProgram(const std::string& arguments, const std::string& environment) {
  return RunCommand(environment + " " + ZINTAVEL_BINARY + " " + arguments);
}

ProgramResult RunCommand(const std::string& shellCommand) {
  const std::string command = shellCommand + " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  ProgramResult r{-1, ""};
  if (!pipe) return r;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string LinkedShow(const TempDir& dir, const std::string& demo) {
  namespace fs = std::filesystem;
  const std::string root = dir.Path("show");
  fs::create_directories(root + "/data");
  for (const char* name : {"tune.it", "intro.mp3"}) fs::create_symlink(demo + "/" + name, root + "/" + name);
  for (const auto& entry : fs::directory_iterator(demo + "/data"))
    fs::create_symlink(entry.path(), root + "/data/" + entry.path().filename().string());
  return root;
}

long DecodedFrames(const std::string& path) {
  const std::string command = "ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames "
                              "-of csv=p=0 '" + path + "' 2>/dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  long frames = -1;
  if (pipe && std::fscanf(pipe, "%ld", &frames) != 1) frames = -1;
  if (pipe) pclose(pipe);
  return frames;
}
