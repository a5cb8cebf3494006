// The services the demo takes from its machine, in its own words: the
// millisecond tick counter, the one window and its events, the cursor and
// message boxes, a display surface to lock, unlock and flip, and the sound
// calls. The show and the display reach them only through ActivePlatform,
// chosen once at start-up: the real-time backend (SDL2), the browser backend,
// the recording backend (virtual clock; a video file or PNG frames and WAV
// sound, through the sinks of src/record) or, in tests, a fake.
//
// A backend knows nothing of the program above it: what it needs of the show
// is handed to it through the calls below (the frame, the show's clock, the
// phase under way), and a quit is something it raised itself, as an event.
#pragma once

#include <cstdint>
#include <string>

#include "choreo/phases.h"
#include "pixel/picture.h"

enum class WindowEvent { CloseRequest, EscapeKey, OtherKey, Other };

// Sound handles; 0 is never a valid handle.
using MusicHandle = std::uint32_t;
using StreamHandle = std::uint32_t;

inline constexpr std::uint32_t SoundVersion = 0x80000;
inline constexpr std::uint32_t MusicRamping = 1;
inline constexpr std::uint32_t MusicLoop = 4;

class Platform {
 public:
  virtual ~Platform() = default;

  // Clock: milliseconds, wrapping at 2^32.
  virtual std::uint32_t TickCount() = 0;

  // Window.
  virtual bool CreateWindow() = 0;
  // The next waiting event, without waiting; false when none waits.
  virtual bool NextEvent(WindowEvent& event) = 0;
  virtual void ShowCursor(bool show) = 0;
  virtual void ShowMessageBox(const char* caption, const char* text) = 0;
  virtual void DebugString(const char* text) = 0;

  // Display surface. SetMode tells whether a mode of that size and depth can
  // be had; Lock hands out the surface memory and its pitch in bytes.
  virtual bool OpenDevice() = 0;
  virtual bool SetMode(std::int32_t width, std::int32_t height, std::int32_t depth) = 0;
  virtual bool CreateSurfaces() = 0;
  virtual bool Lock(std::uint8_t*& pixels, std::int32_t& pitch) = 0;
  virtual bool Unlock() = 0;
  virtual bool Flip() = 0;
  virtual void CloseDevice() = 0;

  // Sound: the calls of the presentation's one sound library, same arguments
  // and results. Files are given as the presentation names them.
  virtual std::uint32_t SoundGetVersion() = 0;
  virtual bool SoundInit(std::int32_t device, std::int32_t frequency, std::uint32_t flags) = 0;
  // 0 on a failure, after one line on stderr naming the file.
  virtual MusicHandle MusicLoad(const std::string& file, std::uint32_t flags) = 0;
  virtual void MusicSetPositionScaler(MusicHandle music, std::uint32_t scaler) = 0;
  virtual bool SoundStart() = 0;
  virtual StreamHandle StreamCreateFile(const std::string& file, std::uint32_t flags) = 0;
  virtual bool StreamPlay(StreamHandle stream, bool flush, std::uint32_t flags) = 0;
  virtual bool StreamFree(StreamHandle stream) = 0;
  virtual bool MusicPlayEx(MusicHandle music, std::uint32_t position, std::int32_t flags, bool reset) = 0;
  virtual bool SetVolume(std::uint32_t volume) = 0;
  virtual void SoundFree() = 0;

  // Told when a phase begins, for progress reports and chapters; nothing in
  // the show depends on it.
  virtual void PhaseStarted(Phase /*phase*/, const char* /*name*/) {}
  // The show's clock whenever it is set: outside a replay the show time is
  // TickCount() - base (ms, wrapping).
  virtual void ShowTimeBase(std::uint32_t /*base*/) {}
  // The FrameBuffer, handed once the display is open: what a screenshot saves.
  virtual void UseFrameBuffer(const Picture& /*frame*/) {}

  // Reaching a moment of the show (show/seek.h). Between BeginReplay and
  // EndReplay frames run unseen on a virtual clock of ReplayFps, from the
  // show's first tick up to the show time `targetMs`: ReplayFrame stands for
  // the present, with the tick of the frame to come, and the pump raises only
  // the platform's own timed quit. The sound of those frames is mixed and
  // dropped, so that it stands where the picture does; BeginReplay puts it
  // back at the show's start. After EndReplay the show reads the clock as
  // continuing from `tick`.
  virtual std::uint32_t ReplayFps() { return 60; }
  virtual void BeginReplay(std::uint32_t /*firstTick*/, std::uint32_t /*targetMs*/) {}
  virtual void ReplayFrame(std::uint32_t /*tick*/) {}
  virtual void EndReplay(std::uint32_t /*tick*/) {}
  // Where the viewer seeks while the show plays: the show then keeps
  // checkpoints of part one and runs it ahead of itself to make them.
  virtual bool PrepareSeeks() { return false; }
  // Right after BeginReplay: the replay starts from a checkpoint, `frames`
  // frames into the virtual clock, as though those had run.
  virtual void ReplayFrom(std::uint32_t /*frames*/) {}
  // A seek the viewer asked for: the show time to go to, in ms.
  virtual bool TakeSeek(std::uint32_t& /*showMs*/) { return false; }
};

extern Platform* ActivePlatform;
