// What the real-time and recording backends share: the sound calls over one
// AudioEngine, and the --quit-at request raised in the pump that follows the
// first present after which the clock has run that long.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "sound/audio_engine.h"

class EnginePlatform : public Platform {
 public:
  std::uint32_t SoundGetVersion() override { return SoundVersion; }
  bool SoundInit(std::int32_t device, std::int32_t frequency, std::uint32_t flags) override;
  MusicHandle MusicLoad(const std::string& file, std::uint32_t flags) override;
  void MusicSetPositionScaler(MusicHandle, std::uint32_t) override {}
  bool SoundStart() override;
  StreamHandle StreamCreateFile(const std::string& file, std::uint32_t flags) override;
  bool StreamPlay(StreamHandle stream, bool flush, std::uint32_t flags) override;
  bool StreamFree(StreamHandle stream) override;
  bool MusicPlayEx(MusicHandle music, std::uint32_t position, std::int32_t flags, bool reset) override;
  bool SetVolume(std::uint32_t volume) override;
  void SoundFree() override;

  void SetQuitAt(std::optional<std::uint32_t> ms) { quitAt_ = ms; }

  // Frames run unseen: the sound goes back to its start, then is mixed and
  // dropped up to where the picture stands, the device held meanwhile.
  void BeginReplay(std::uint32_t firstTick, std::uint32_t targetMs) override;
  void ReplayFrame(std::uint32_t tick) override;
  void EndReplay(std::uint32_t tick) override;
  void ReplayFrom(std::uint32_t frames) override;

 protected:
  static constexpr MusicHandle TheMusic = 1;
  static constexpr StreamHandle TheStream = 2;

  // The device the engine plays through. Lock/Unlock guard every engine call;
  // Catch-up brings an offline mix up to the present before a change.
  virtual bool OpenSoundDevice() = 0;
  virtual void StartSoundDevice() = 0;
  virtual void CloseSoundDevice() = 0;
  virtual void LockSound() {}
  virtual void UnlockSound() {}
  virtual void CatchUpSound() {}
  // Stops the device taking sound from the engine during a replay, and back.
  virtual void HoldSoundDevice(bool /*hold*/) {}
  // False where nothing will ever hear the mix (no device): a replay skips it.
  virtual bool MixHeard() { return true; }
  // True where a viewer seeks while the show plays: the module's instances are
  // then parked along its song (sound/module_checkpoints.h) so a seek lands fast.
  virtual bool SeeksLive() { return false; }
  bool Replaying() const { return replaying_; }
  // The show's time now, outside a replay, and the first tick of the latest replay.
  void ShowTimeBase(std::uint32_t base) override { showBase_ = base; }
  std::uint32_t ShowTimeNow() { return TickCount() - showBase_; }
  std::uint32_t ReplayFirstTick() const { return replayFirstTick_; }

  // Call on every present with the clock's first value; NextEvent helpers.
  void NotePresent(std::uint32_t firstTick);
  bool TakeQuitRequest();

  AudioEngine engine_;
  bool soundOpen_ = false;

 private:
  void DropReplaySound();
  template <typename F>
  void WithEngine(F f) {
    if (replaying_) DropReplaySound();
    else CatchUpSound();
    LockSound();
    f();
    UnlockSound();
  }
  std::optional<std::uint32_t> quitAt_;
  bool quitPending_ = false, quitRaised_ = false;
  bool parking_ = false;  // the module's instances are being parked
  bool replaying_ = false;
  std::uint32_t showBase_ = 0, replayFirstTick_ = 0;
  std::uint32_t replayFrames_ = 0;
  std::uint64_t replayMixed_ = 0;
};
