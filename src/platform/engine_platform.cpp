#include "platform/engine_platform.h"

#include <algorithm>

#include "sound/module_checkpoints.h"

bool EnginePlatform::SoundInit(std::int32_t, std::int32_t frequency, std::uint32_t) {
  if (frequency != AudioEngine::Rate) return false;
  soundOpen_ = OpenSoundDevice();
  return soundOpen_;
}

MusicHandle EnginePlatform::MusicLoad(const std::string& file, std::uint32_t flags) {
  bool ok = false;
  WithEngine([&] { ok = engine_.LoadModule(file, (flags & MusicLoop) != 0, (flags & MusicRamping) != 0); });
  // Parked beside the show on a thread of their own, from its first frame on
  // so that start-up keeps both cores; a seek takes what is ready.
  if (ok && SeeksLive()) engine_.KeepCheckpoints(ModuleCheckpointBytes, ModuleCheckpointHorizon);
  return ok ? TheMusic : 0;
}

bool EnginePlatform::SoundStart() {
  if (!soundOpen_) return false;
  StartSoundDevice();
  return true;
}

StreamHandle EnginePlatform::StreamCreateFile(const std::string& file, std::uint32_t) {
  bool ok = false;
  WithEngine([&] { ok = engine_.LoadStream(file); });
  return ok ? TheStream : 0;
}

bool EnginePlatform::StreamPlay(StreamHandle stream, bool, std::uint32_t) {
  if (stream != TheStream) return false;  // a stream that never opened: part one runs silent
  WithEngine([&] { engine_.PlayStream(); });
  return true;
}

bool EnginePlatform::StreamFree(StreamHandle stream) {
  if (stream != TheStream) return false;
  WithEngine([&] { engine_.FreeStream(); });
  return true;
}

bool EnginePlatform::MusicPlayEx(MusicHandle music, std::uint32_t, std::int32_t, bool) {
  if (music != TheMusic) return false;
  WithEngine([&] { engine_.PlayModule(); });
  return true;
}

bool EnginePlatform::SetVolume(std::uint32_t volume) {
  if (volume > 100) return false;
  WithEngine([&] { engine_.SetVolume(volume); });
  return true;
}

void EnginePlatform::SoundFree() {
  if (soundOpen_) CloseSoundDevice();
  soundOpen_ = false;
  engine_.Free();
}

void EnginePlatform::NotePresent(std::uint32_t firstTick) {
  if (!parking_) {
    parking_ = true;
    if (ModuleCheckpoints* points = engine_.Checkpoints()) points->StartWorker();
  }
  if (quitAt_ && !quitPending_ && TickCount() - firstTick >= *quitAt_) quitPending_ = true;
}

bool EnginePlatform::TakeQuitRequest() {
  if (!quitPending_ || quitRaised_) return false;
  quitRaised_ = true;
  return true;
}

void EnginePlatform::BeginReplay(std::uint32_t firstTick, std::uint32_t) {
  replayFirstTick_ = firstTick;
  HoldSoundDevice(true);
  LockSound();
  engine_.Rewind();
  UnlockSound();
  replaying_ = true;
  replayFrames_ = 0;
  replayMixed_ = 0;
}

void EnginePlatform::ReplayFrame(std::uint32_t) { ++replayFrames_; }

// The sound catches up lazily, at the next sound call or the landing.
void EnginePlatform::ReplayFrom(std::uint32_t frames) { replayFrames_ = frames; }

void EnginePlatform::EndReplay(std::uint32_t) {
  DropReplaySound();
  replaying_ = false;
  HoldSoundDevice(false);
}

// Brings the sound up to the first sample of the frame the replay has
// reached, as a recording at the replay's rate would mix it, unheard.
void EnginePlatform::DropReplaySound() {
  if (!soundOpen_ || !MixHeard()) return;
  const std::uint64_t target = std::uint64_t{replayFrames_} * AudioEngine::Rate / ReplayFps();
  if (replayMixed_ >= target) return;
  LockSound();
  engine_.Skip(static_cast<std::size_t>(target - replayMixed_));
  replayMixed_ = target;
  UnlockSound();
}
