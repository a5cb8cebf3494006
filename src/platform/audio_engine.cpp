#include "platform/audio_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>

namespace {

bool ReadFile(const std::string& path, std::vector<char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}


}  // namespace

AudioEngine::~AudioEngine() { Free(); }

bool AudioEngine::LoadModule(const std::string& path, bool loop, bool ramping) {
  std::vector<char> bytes;
  if (!ReadFile(path, bytes)) {
    std::fprintf(stderr, "zintavel: %s: cannot open: %s (scripts/demo generates the default presentation)\n",
                 path.c_str(), std::strerror(errno));
    return false;
  }
  int error = 0;
  const char* message = nullptr;
  module_ = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                               openmpt_error_func_ignore, nullptr, &error, &message, nullptr);
  if (!module_) {
    std::fprintf(stderr, "zintavel: %s: not a module libopenmpt can play (%s)\n", path.c_str(),
                 message ? message : "unknown error");
    openmpt_free_string(message);
    return false;
  }
  openmpt_free_string(message);
  openmpt_module_set_repeat_count(module_, loop ? -1 : 0);
  scratch_.reserve(2 * 8192);  // the audio thread should not allocate
  openmpt_module_set_render_param(module_, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, ramping ? -1 : 0);
  return true;
}

bool AudioEngine::LoadStream(const std::string& path) {
  int error = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &error);
  if (!mh) {
    std::fprintf(stderr, "zintavel: %s: the MP3 decoder does not start: %s\n", path.c_str(), mpg123_plain_strerror(error));
    return false;
  }
  mpg123_param2(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_format_none(mh);
  mpg123_format(mh, Rate, MPG123_STEREO, MPG123_ENC_FLOAT_32);
  std::vector<float> pcm;
  bool ok = mpg123_open(mh, path.c_str()) == MPG123_OK;
  if (ok) {
    float buffer[8192];
    for (;;) {
      std::size_t done = 0;
      const int rc = mpg123_read(mh, buffer, sizeof buffer, &done);
      pcm.insert(pcm.end(), buffer, buffer + done / sizeof(float));
      if (rc == MPG123_DONE) break;
      if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
        ok = false;
        break;
      }
    }
  }
  if (!ok || pcm.empty()) {
    std::fprintf(stderr, "zintavel: %s: cannot decode the MP3 (%s); part one runs silent\n", path.c_str(),
                 pcm.empty() && ok ? "no audio in it" : mpg123_strerror(mh));
    mpg123_delete(mh);
    return false;
  }
  mpg123_delete(mh);
  stream_ = std::move(pcm);
  streamAt_ = 0;
  return true;
}

void AudioEngine::PlayModule() {
  if (!module_) return;
  openmpt_module_set_position_order_row(module_, 0, 0);
  modulePlaying_ = true;
}

void AudioEngine::PlayStream() {
  if (!stream_.empty()) streamPlaying_ = true;
}

void AudioEngine::FreeStream() {
  streamPlaying_ = false;
  stream_.clear();
  stream_.shrink_to_fit();
  streamAt_ = 0;
}

void AudioEngine::SetVolume(std::uint32_t percent) { targetGain_ = std::min(percent, 100u) / 100.0f; }

void AudioEngine::Free() {
  if (module_) openmpt_module_destroy(module_);
  module_ = nullptr;
  modulePlaying_ = false;
  FreeStream();
}

void AudioEngine::Render(float* out, std::size_t frames) {
  std::fill(out, out + 2 * frames, 0.0f);
  if (modulePlaying_ && module_) {
    scratch_.resize(2 * frames);
    const std::size_t got = openmpt_module_read_interleaved_float_stereo(module_, Rate, frames, scratch_.data());
    for (std::size_t i = 0; i < 2 * got; ++i) out[i] += scratch_[i];
    if (got < frames) modulePlaying_ = false;  // the song ended (not looping)
  }
  if (streamPlaying_) {
    const std::size_t left = (stream_.size() - streamAt_) / 2;
    const std::size_t n = std::min(left, frames);
    for (std::size_t i = 0; i < 2 * n; ++i) out[i] += stream_[streamAt_ + i];
    streamAt_ += 2 * n;
    if (n < frames) streamPlaying_ = false;
  }
  const float step = 1.0f / (0.010f * Rate);
  for (std::size_t f = 0; f < frames; ++f) {
    if (gain_ < targetGain_) gain_ = std::min(targetGain_, gain_ + step);
    else if (gain_ > targetGain_) gain_ = std::max(targetGain_, gain_ - step);
    out[2 * f] = std::clamp(out[2 * f] * gain_, -1.0f, 1.0f);
    out[2 * f + 1] = std::clamp(out[2 * f + 1] * gain_, -1.0f, 1.0f);
  }
}
