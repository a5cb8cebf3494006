#include "sound/audio_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>

#include "assets/data_file.h"
#include "assets/module_check.h"
#include "assets/report.h"
#include "sound/module_checkpoints.h"

namespace {

// A skip this far into the module waits for its loop's proof first: past
// there, rendering from the start would cost more than the proof.
constexpr std::uint64_t FoldWorthwhile = 120ull * AudioEngine::Rate;

// Bounds on what a presentation's music may take at start-up: a module file of
// this size is far beyond any real one, and part one (54 s) never plays more of
// the stream than this (decoded whole, at 353 KB a second).
constexpr std::size_t MaxModuleBytes = 32 * 1024 * 1024;
constexpr std::size_t MaxStreamSeconds = 90;
// The module is the show's music: without it the show stops. Ours is the one
// line on stderr (the show's own error goes to its message box only), so it
// quotes that error and says what it means.
constexpr const char* NoMusic = "; the show cannot start without its music (\"Can't play the file\")";

}  // namespace

AudioEngine::AudioEngine() = default;
AudioEngine::~AudioEngine() { Free(); }

bool AudioEngine::LoadModule(const std::string& path, bool loop, bool ramping) {
  std::vector<std::uint8_t> bytes;
  std::string problem;
  bool more = false;
  if (!ReadDataFile(path.c_str(), bytes, MaxModuleBytes, &more, problem)) {
    std::fprintf(stderr, "zintavel: %s: %s (scripts/demo generates the default presentation)%s\n", OneLine(path).c_str(),
                 problem.c_str(), NoMusic);
    return false;
  }
  if (more) {
    std::fprintf(stderr, "zintavel: %s: larger than the %zu MB a module may take here%s\n", OneLine(path).c_str(),
                 MaxModuleBytes >> 20, NoMusic);
    return false;
  }
  moduleBytes_ = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
  loop_ = loop, ramping_ = ramping;
#ifdef __GLIBC__
  const struct mallinfo2 before = mallinfo2();
#endif
  module_ = MakeModule(path);
#ifdef __GLIBC__
  // What the instance kept, for the parked ones' budget.
  const struct mallinfo2 after = mallinfo2();
  const std::size_t kept = (after.uordblks + after.hblkhd) - (before.uordblks + before.hblkhd);
  if (module_ && after.uordblks + after.hblkhd > before.uordblks + before.hblkhd) instanceBytes_ = kept;
#endif
  return module_ != nullptr;
}

openmpt_module* AudioEngine::MakeModule(const std::string& path) {
  // Loaded and warned about before.
  if (path.empty()) return moduleBytes_ ? NewModuleInstance(*moduleBytes_, loop_, ramping_) : nullptr;
  int error = 0;
  const char* message = nullptr;
  openmpt_module* module = openmpt_module_create_from_memory2(moduleBytes_->data(), moduleBytes_->size(),
      openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr, &error, &message, nullptr);
  if (!module) {
    if (!path.empty())
      std::fprintf(stderr, "zintavel: %s: not a module libopenmpt can play (%s)%s\n", OneLine(path).c_str(),
                   message ? message : "unknown error", NoMusic);
    openmpt_free_string(message);
    return nullptr;
  }
  openmpt_free_string(message);
  // A damaged module that still loads plays something else without a word:
  // say what is missing (or what the library noticed) and how much it plays.
  // Only when it is first loaded: a rewind remakes it from the same bytes.
  std::string damage;
  const bool firstLoad = !path.empty();
  if (firstLoad && !CheckModuleOffsets(moduleBytes_->data(), moduleBytes_->size(), damage)) {
    std::fprintf(stderr, "zintavel: %s: %s; it plays %.1f s of music\n", path.c_str(), damage.c_str(),
                 openmpt_module_get_duration_seconds(module));
  } else if (const char* warnings = openmpt_module_get_metadata(module, "warnings")) {
    if (*warnings && firstLoad) {
      const std::string first(warnings, std::strcspn(warnings, "\n"));
      std::fprintf(stderr, "zintavel: %s: libopenmpt warns: %s; it plays %.1f s of music\n", path.c_str(),
                   first.c_str(), openmpt_module_get_duration_seconds(module));
    }
    openmpt_free_string(warnings);
  }
  openmpt_module_set_repeat_count(module, loop_ ? -1 : 0);
  openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, ramping_ ? -1 : 0);
  return module;
}

double AudioEngine::ModuleSeconds() const { return module_ ? openmpt_module_get_duration_seconds(module_) : 0.0; }

bool AudioEngine::LoadStream(const std::string& path) {
  std::string problem;
  std::int64_t fileSize = 0;
  const int fd = OpenDataFile(path.c_str(), fileSize, problem);
  if (fd < 0) {
    std::fprintf(stderr, "zintavel: %s: %s; part one runs silent\n", path.c_str(), problem.c_str());
    return false;
  }
  int error = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &error);
  if (!mh) {
    std::fprintf(stderr, "zintavel: %s: the MP3 decoder does not start: %s\n", path.c_str(), mpg123_plain_strerror(error));
    ::close(fd);
    return false;
  }
  mpg123_param2(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_format_none(mh);
  mpg123_format(mh, Rate, MPG123_STEREO, MPG123_ENC_FLOAT_32);
  std::vector<float> pcm;
  const std::size_t maxFloats = 2 * Rate * MaxStreamSeconds;
  bool ok = mpg123_open_fd(mh, fd) == MPG123_OK, full = false;
  // What the stream's header (or its size) promises, before decoding.
  const off_t promised = ok ? mpg123_length(mh) : -1;
  if (ok) {
    float buffer[8192];
    for (;;) {
      std::size_t done = 0;
      const int rc = mpg123_read(mh, buffer, sizeof buffer, &done);
      pcm.insert(pcm.end(), buffer, buffer + std::min(done / sizeof(float), maxFloats - pcm.size()));
      if (rc == MPG123_DONE) break;
      if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
        ok = false;
        break;
      }
      if (pcm.size() == maxFloats) {
        full = true;
        break;
      }
    }
  }
  if (!ok || pcm.empty()) {
    std::fprintf(stderr, "zintavel: %s: cannot decode the MP3 (%s); part one runs silent\n", path.c_str(),
                 pcm.empty() && ok ? "no MPEG audio found in it" : mpg123_strerror(mh));
    mpg123_close(mh);
    mpg123_delete(mh);
    ::close(fd);
    return false;
  }
  const double seconds = static_cast<double>(pcm.size() / 2) / Rate;
  if (full) {
    std::fprintf(stderr, "zintavel: %s: longer than %zu s; only its first %zu s are kept (part one lasts 54 s)\n",
                 path.c_str(), MaxStreamSeconds, MaxStreamSeconds);
  } else if (promised > 0 && static_cast<double>(promised) / Rate > seconds + 0.5) {
    // A cut file decodes up to its cut without any error from the library; only
    // the length its header (or, without one, its size) promised tells.
    std::fprintf(stderr, "zintavel: %s: looks cut short: it plays %.1f s of the %.1f s its header promises\n",
                 path.c_str(), seconds, static_cast<double>(promised) / Rate);
  }
  mpg123_close(mh);
  mpg123_delete(mh);
  ::close(fd);
  stream_ = std::move(pcm);
  streamAt_ = 0;
  streamFreed_ = false;
  return true;
}

void AudioEngine::PlayModule() {
  if (!module_ && !parked_) return;
  modulePlaying_ = true;
  modulePos_ = instPos_ = 0;
  blockLen_ = blockAt_ = 0;
  moduleEnded_ = false;
  // A rewound module stays with its parked instances until it is heard or
  // skipped: which one it takes depends on how far it goes first.
  if (module_) openmpt_module_set_position_order_row(module_, 0, 0);
}

// The module at its start, played: the parked fresh instance when it is ready.
void AudioEngine::TakeFreshModule() {
  std::uint64_t toRender = 0;
  openmpt_module* fresh = checkpoints_ ? checkpoints_->Take(0, 1, toRender) : nullptr;
  module_ = fresh ? fresh : MakeModule("");
  parked_ = false;
  instPos_ = 0;
  if (checkpoints_) checkpoints_->Give(spare_);
  spare_ = nullptr;
  if (module_ && modulePlaying_) openmpt_module_set_position_order_row(module_, 0, 0);
}

// The module is read in blocks of a fixed size from its start whatever the
// caller asks for: libopenmpt's output differs in its last bits with the
// sizes it is read in, and the sound after a seek, in the page or in a clip
// must be the same to the bit.
bool AudioEngine::NextModuleBlock() {
  const std::size_t got = openmpt_module_read_interleaved_float_stereo(module_, Rate, ModuleCheckpoints::Block, block_);
  instPos_ += got;
  blockLen_ = got;
  blockAt_ = 0;
  moduleEnded_ = got < ModuleCheckpoints::Block;  // the song ended (not looping)
  return got > 0;
}

// Renders and drops `frames` (whole blocks) with the module where it stands.
void AudioEngine::DropModuleBlocks(std::uint64_t frames) {
  for (std::uint64_t done = 0; done < frames && !moduleEnded_; done += ModuleCheckpoints::Block) NextModuleBlock();
  blockLen_ = blockAt_ = 0;
}

void AudioEngine::PlayStream() {
  if (!stream_.empty() && !streamFreed_) streamPlaying_ = true;
}

// The decoded stream stays for a rewind; it is only forgotten.
void AudioEngine::FreeStream() {
  streamPlaying_ = false;
  streamFreed_ = true;
  streamAt_ = 0;
}

void AudioEngine::Rewind() {
  if (checkpoints_) {
    // A fresh instance costs as much as 15 s of mixing: one is taken from the
    // parked ones when the module plays or skips. The one playing stays near
    // at hand: a seek a little ahead goes on from it.
    checkpoints_->Give(spare_);
    spare_ = modulePlaying_ && !moduleEnded_ ? module_ : nullptr;
    sparePos_ = instPos_;
    if (!spare_) checkpoints_->Give(module_);
    module_ = nullptr;
    parked_ = true;
  } else if (module_) {
    openmpt_module_destroy(module_);
    module_ = MakeModule("");
  }
  modulePos_ = instPos_ = 0;
  blockLen_ = blockAt_ = 0;
  moduleEnded_ = false;
  modulePlaying_ = false;
  streamPlaying_ = false;
  streamFreed_ = false;
  streamAt_ = 0;
  gain_ = targetGain_ = 1.0f;
}

void AudioEngine::SetVolume(std::uint32_t percent) { targetGain_ = std::min(percent, 100u) / 100.0f; }

void AudioEngine::Free() {
  if (spare_) openmpt_module_destroy(spare_);
  spare_ = nullptr;
  checkpoints_.reset();
  parked_ = false;
  if (module_) openmpt_module_destroy(module_);
  module_ = nullptr;
  moduleBytes_.reset();
  modulePlaying_ = false;
  FreeStream();
  stream_.clear();
  stream_.shrink_to_fit();
}

void AudioEngine::Render(float* out, std::size_t frames) {
  std::fill(out, out + 2 * frames, 0.0f);
  if (modulePlaying_ && parked_) TakeFreshModule();
  if (modulePlaying_ && module_) {
    for (std::size_t done = 0; done < frames;) {
      if (blockAt_ == blockLen_ && (moduleEnded_ || !NextModuleBlock())) break;
      const std::size_t n = std::min(blockLen_ - blockAt_, frames - done);
      const float* from = block_ + 2 * blockAt_;
      for (std::size_t i = 0; i < 2 * n; ++i) out[2 * done + i] += from[i];
      blockAt_ += n, done += n, modulePos_ += n;
    }
    if (blockAt_ == blockLen_ && moduleEnded_) modulePlaying_ = false;
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

void AudioEngine::Skip(std::size_t frames) {
  constexpr std::uint64_t B = ModuleCheckpoints::Block;
  const std::uint64_t target = modulePos_ + frames;
  if (modulePlaying_ && checkpoints_ && target > FoldWorthwhile) checkpoints_->AwaitProof();
  if (modulePlaying_ && module_) {  // what is left of the block read last
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(blockLen_ - blockAt_, frames));
    blockAt_ += n, modulePos_ += n;
  }
  if (modulePlaying_ && modulePos_ < target && (blockAt_ < blockLen_ || moduleEnded_)) {
    modulePlaying_ = false;  // the song ended within it
  } else if (modulePlaying_ && modulePos_ < target) {
    // Whole blocks up to the last boundary before the target, from whichever
    // instance stands nearest short of it: the one playing, the one that
    // played before a rewind, or a parked one.
    const std::uint64_t whole = target / B * B;
    std::uint64_t toRender = ~0ull;
    if (module_) toRender = checkpoints_ ? checkpoints_->Distance(instPos_, whole) : whole - instPos_;
    if (parked_ && spare_ && sparePos_ <= whole) {
      const std::uint64_t fromSpare = checkpoints_->Distance(sparePos_, whole);
      if (fromSpare < toRender) {
        module_ = spare_, spare_ = nullptr, parked_ = false;
        toRender = fromSpare;
      }
    }
    std::uint64_t fromPoint = 0;
    if (openmpt_module* m = checkpoints_ ? checkpoints_->Take(whole, toRender, fromPoint) : nullptr) {
      if (module_) checkpoints_->Give(module_);
      module_ = m, parked_ = false;
      toRender = fromPoint;
    }
    if (parked_) {  // nothing parked near: from the song's start
      TakeFreshModule();
      toRender = checkpoints_->Distance(0, whole);
    }
    if (checkpoints_) checkpoints_->Give(spare_);
    spare_ = nullptr;
    DropModuleBlocks(toRender);
    if (moduleEnded_) {
      modulePlaying_ = false;
    } else {
      instPos_ = modulePos_ = whole;
      if (target > whole && NextModuleBlock()) {
        blockAt_ = static_cast<std::size_t>(std::min<std::uint64_t>(target - whole, blockLen_));
        modulePos_ = whole + blockAt_;
      }
      if (blockAt_ == blockLen_ && moduleEnded_) modulePlaying_ = false;
    }
  }
  if (streamPlaying_) {
    const std::size_t n = std::min((stream_.size() - streamAt_) / 2, frames);
    streamAt_ += 2 * n;
    if (n < frames) streamPlaying_ = false;
  }
  // The volume's glide, step by step as Render takes it (the sums round).
  const float step = 1.0f / (0.010f * Rate);
  for (std::size_t f = 0; f < frames && gain_ != targetGain_; ++f) {
    if (gain_ < targetGain_) gain_ = std::min(targetGain_, gain_ + step);
    else gain_ = std::max(targetGain_, gain_ - step);
  }
}

std::size_t AudioEngine::ModuleInstanceBytes() const {
  if (instanceBytes_ > 0) return instanceBytes_;
  // Where the allocator cannot say: an instance holds its samples, its patterns
  // and the mixer's tables, measured at 1.6 times the file (4.1 MB for our
  // 2.5 MB module), with room to spare.
  return (moduleBytes_ ? moduleBytes_->size() : 0) * 13 / 8 + (256u << 10);
}

void AudioEngine::KeepCheckpoints(std::size_t budgetBytes, std::uint64_t horizon) {
  if (!module_ || !moduleBytes_ || moduleBytes_->empty()) return;
  ModuleCheckpoints::Plan plan;
  plan.budgetBytes = budgetBytes;
  plan.instanceBytes = ModuleInstanceBytes();
  plan.horizon = horizon;
  checkpoints_ = std::make_unique<ModuleCheckpoints>(moduleBytes_, loop_, ramping_, plan);
}
