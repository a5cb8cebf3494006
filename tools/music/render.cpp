#include "render.h"

#include <lame/lame.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>

namespace {
void Collect(const char* message, void* user) {
  if (user && message) *static_cast<std::string*>(user) += std::string(message) + "\n";
}
}  // namespace

std::vector<float> RenderModule(const std::vector<std::uint8_t>& module, double seconds, std::string& error,
                                std::string* log) {
  int code = 0;
  const char* message = nullptr;
  openmpt_module* mod = openmpt_module_create_from_memory2(module.data(), module.size(), log ? Collect : openmpt_log_func_silent,
                                                           log, openmpt_error_func_ignore, nullptr, &code, &message, nullptr);
  if (!mod) {
    error = message ? message : "unknown error";
    openmpt_free_string(message);
    return {};
  }
  openmpt_free_string(message);
  openmpt_module_set_repeat_count(mod, -1);
  const auto frames = static_cast<std::size_t>(seconds * 44100);
  std::vector<float> out(2 * frames, 0.0f);
  std::size_t done = 0;
  while (done < frames) {
    const std::size_t want = std::min<std::size_t>(4096, frames - done);
    const std::size_t got = openmpt_module_read_interleaved_float_stereo(mod, 44100, want, out.data() + 2 * done);
    if (got == 0) break;
    done += got;
  }
  openmpt_module_destroy(mod);
  return out;
}

std::vector<std::uint8_t> EncodeMp3(const std::vector<float>& stereo, int kbps) {
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, 44100);
  lame_set_out_samplerate(lame, 44100);
  lame_set_num_channels(lame, 2);
  lame_set_brate(lame, kbps);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_quality(lame, 2);
  lame_set_bWriteVbrTag(lame, 1);
  lame_init_params(lame);

  std::vector<std::uint8_t> mp3;
  const int frames = static_cast<int>(stereo.size() / 2);
  const int chunk = 4096;
  std::vector<unsigned char> buffer(static_cast<std::size_t>(1.25 * chunk + 7200));
  for (int at = 0; at < frames; at += chunk) {
    const int n = std::min(chunk, frames - at);
    const int bytes = lame_encode_buffer_interleaved_ieee_float(lame, stereo.data() + 2 * at, n, buffer.data(),
                                                               static_cast<int>(buffer.size()));
    if (bytes > 0) mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + bytes);
  }
  const int tail = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  if (tail > 0) mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + tail);
  // The first frame was kept free for the info tag: write it there.
  std::vector<unsigned char> tag(4096);
  const std::size_t tagBytes = lame_get_lametag_frame(lame, tag.data(), tag.size());
  if (tagBytes > 0 && tagBytes <= mp3.size()) std::copy(tag.begin(), tag.begin() + tagBytes, mp3.begin());
  lame_close(lame);
  return mp3;
}
