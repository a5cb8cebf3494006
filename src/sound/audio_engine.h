// The mixer behind the sound calls: one tracker module (libopenmpt) and one MP3
// stream (libmpg123, decoded whole when it is opened, so nothing is read from
// disk while frames run), summed at 44,100 Hz stereo, times the output volume.
// Volume changes glide over 10 ms so they never click. Not thread-safe: the
// real-time backend holds the audio device's lock around every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/module_checkpoints.h"

struct openmpt_module;

// What the parked instances of the module may take natively, and how far into
// the song they reach when its loop cannot be folded: ten minutes.
inline constexpr std::size_t ModuleCheckpointBytes = 56u << 20;
inline constexpr std::uint64_t ModuleCheckpointHorizon = 600ull * 44100;

class AudioEngine {
 public:
  static constexpr int Rate = 44100;

  AudioEngine();
  ~AudioEngine();
  AudioEngine(const AudioEngine&) = delete;
  AudioEngine& operator=(const AudioEngine&) = delete;

  // Each says what went wrong on stderr (naming the file) and returns false.
  bool LoadModule(const std::string& path, bool loop, bool ramping);
  bool LoadStream(const std::string& path);
  bool HasModule() const { return module_ != nullptr || parked_; }
  bool HasStream() const { return !stream_.empty() && !streamFreed_; }
  // Lengths of what was loaded, 0 when nothing was: the module played once through.
  double ModuleSeconds() const;
  double StreamSeconds() const { return static_cast<double>(stream_.size() / 2) / Rate; }
  const std::vector<float>& StreamSamples() const { return stream_; }  // interleaved stereo

  void PlayModule();  // from its beginning
  void PlayStream();
  void FreeStream();
  void SetVolume(std::uint32_t percent);
  // Back to just after loading: nothing playing, the stream at its start (a
  // freed one back), the module made anew from its file's bytes so it sounds
  // as from its start, full volume.
  void Rewind();
  void Free();

  // Mixes `frames` stereo frames into out (interleaved floats).
  void Render(float* out, std::size_t frames);
  // Goes on as Render would for `frames` frames, without the mix: the stream
  // and the volume step ahead, and the module jumps to a parked instance of
  // itself where one is nearer than where it stands (see KeepCheckpoints).
  void Skip(std::size_t frames);

  // Parks instances of the loaded module along its song, within `budgetBytes`,
  // for Skip and Rewind to take; `horizon` (samples) is how far into the song
  // they reach when its loop cannot be folded. Someone must run their Work.
  void KeepCheckpoints(std::size_t budgetBytes, std::uint64_t horizon);
  ModuleCheckpoints* Checkpoints() { return checkpoints_.get(); }
  // What one instance of the loaded module takes, about.
  std::size_t ModuleInstanceBytes() const;

 private:
  openmpt_module* MakeModule(const std::string& path);

  openmpt_module* module_ = nullptr;
  std::uint64_t modulePos_ = 0;  // frames the module has played since PlayModule
  std::size_t instanceBytes_ = 0;
  bool parked_ = false;  // rewound: the module is whichever parked instance it takes
  openmpt_module* spare_ = nullptr;  // the one that played before the rewind
  std::uint64_t sparePos_ = 0;
  // The module's frames come through one block: read at its fixed size from
  // the song's start, whatever sizes they are asked for in.
  std::uint64_t instPos_ = 0;  // frames the instance has read since PlayModule
  float block_[2 * ModuleCheckpoints::Block];
  std::size_t blockLen_ = 0, blockAt_ = 0;
  bool moduleEnded_ = false;
  void TakeFreshModule();
  bool NextModuleBlock();
  void DropModuleBlocks(std::uint64_t frames);  // measured as it loaded, where the allocator says
  std::unique_ptr<ModuleCheckpoints> checkpoints_;
  std::shared_ptr<const std::vector<std::uint8_t>> moduleBytes_;  // shared with the parked instances' maker
  bool loop_ = false, ramping_ = false;
  bool streamFreed_ = false;
  bool modulePlaying_ = false;
  std::vector<float> stream_;  // interleaved stereo
  std::size_t streamAt_ = 0;
  bool streamPlaying_ = false;
  float gain_ = 1.0f, targetGain_ = 1.0f;
};
