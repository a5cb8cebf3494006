// The command-line parser over fuzzed argument lists: the input's bytes split
// at NUL into arguments after the program name. Any list gives Run, Help,
// Version, or Bad with a one-line message.
#include <cstdint>
#include <string>
#include <vector>

#include "app/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words{"zintavel"};
  std::string word;
  for (std::size_t i = 0; i < size && words.size() < 64; ++i) {
    if (data[i] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word += static_cast<char>(data[i]);
    }
  }
  if (!word.empty() && words.size() < 64) words.push_back(word);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  ProgramOptions options;
  std::string error;
  const ParseResult r = ParseOptions(static_cast<int>(words.size()), argv.data(), options, error);
  if (r == ParseResult::Bad && (error.empty() || error.find('\n') != std::string::npos)) __builtin_trap();
  if (r == ParseResult::Run && (options.fps == 0 || options.every == 0)) __builtin_trap();
  return 0;
}
