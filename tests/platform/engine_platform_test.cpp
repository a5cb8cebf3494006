// The sound after frames run unseen: mixed and dropped from the show's start,
// it goes on exactly as the sound of a show played straight to that frame,
// after part one's MP3 or the module, and after a seek back over the hand-over.
#include "platform/engine_platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "assets/loading.h"
#include "sound/module_checkpoints.h"

namespace {

// A backend with a sound device only: the mix is taken by hand.
class SoundOnly : public EnginePlatform {
 public:
  std::uint32_t TickCount() override { return 0; }
  bool CreateWindow() override { return true; }
  bool NextEvent(WindowEvent&) override { return false; }
  void ShowCursor(bool) override {}
  void ShowMessageBox(const char*, const char*) override {}
  void DebugString(const char*) override {}
  bool OpenDevice() override { return true; }
  bool SetMode(std::int32_t, std::int32_t, std::int32_t) override { return true; }
  bool CreateSurfaces() override { return true; }
  bool Lock(std::uint8_t*&, std::int32_t&) override { return false; }
  bool Unlock() override { return true; }
  bool Flip() override { return true; }
  void CloseDevice() override {}

  // The device playing `frames` 60 Hz frames' worth of sound.
  void Play(std::uint64_t frames) {
    const std::uint64_t to = (played_ + frames) * AudioEngine::Rate / 60;
    std::vector<float> out(2 * (to - mixed_));
    engine_.Render(out.data(), to - mixed_);
    mixed_ = to;
    played_ += frames;
  }
  std::vector<float> Next(std::size_t samples) {
    std::vector<float> out(2 * samples);
    engine_.Render(out.data(), samples);
    return out;
  }
  // The show's sound calls, frame by frame up to `frames`, on the 60 Hz grid:
  // the MP3 from 20 s, the module from the countdown's first frame (74,016 ms).
  void Show(std::uint64_t frames, bool unseen) {
    for (std::uint64_t k = 0; k < frames; ++k) {
      if (k == 1200) StreamPlay(TheStream, false, 0);
      if (k == 4441) StreamFree(TheStream), MusicPlayEx(TheMusic, 0, -1, true);
      if (unseen) ReplayFrame(0);
      else Play(1);
    }
  }
  bool live = false;  // seeks while it plays: the module's instances parked
  bool SeeksLive() override { return live; }
  ModuleCheckpoints* Points() { return engine_.Checkpoints(); }
  void Open() {
    SoundInit(-1, 44100, 0);
    MusicLoad(PresentationPath("tune.it"), MusicRamping | MusicLoop);
    StreamCreateFile(PresentationPath("intro.mp3"), 0);
    SoundStart();
  }

 protected:
  bool OpenSoundDevice() override { return true; }
  void StartSoundDevice() override {}
  void CloseSoundDevice() override {}

 private:
  std::uint64_t played_ = 0, mixed_ = 0;
};

std::vector<float> Straight(std::uint64_t frames) {
  SoundOnly p;
  p.Open();
  p.Show(frames, false);
  return p.Next(4410);
}

}  // namespace

TEST(EnginePlatformTest, SoundAfterAReplayIsTheStraightShows) {
  PresentationDirectory = ZINTAVEL_DEMO_DIR;
  const std::uint64_t inPartOne = 3000, inPartTwo = 5500;  // 50 s, 91.7 s
  const std::vector<float> partOne = Straight(inPartOne), partTwo = Straight(inPartTwo);

  SoundOnly p;
  p.Open();
  p.Show(600, false);  // some of the title card played, then a seek into part two
  p.BeginReplay(0, 0);
  p.Show(inPartTwo, true);
  p.EndReplay(0);
  EXPECT_EQ(p.Next(4410), partTwo);
  // Back over the hand-over: the MP3 freed at the countdown plays again.
  p.BeginReplay(0, 0);
  p.Show(inPartOne, true);
  p.EndReplay(0);
  EXPECT_EQ(p.Next(4410), partOne);
  // And forward again: the module sounds as from its start, not from where it was.
  p.BeginReplay(0, 0);
  p.Show(inPartTwo, true);
  p.EndReplay(0);
  EXPECT_EQ(p.Next(4410), partTwo);
}

TEST(EnginePlatformTest, ParkedModuleInstancesSoundAsTheStraightShow) {
  // The module's instances parked along its song (and its loop folded, once
  // proven) serve every replay: the sound after it is the straight show's, in
  // part two, in the loop's first pass, and ten minutes in, past the fold.
  PresentationDirectory = ZINTAVEL_DEMO_DIR;
  SoundOnly p;
  p.live = true;
  p.Open();
  ModuleCheckpoints* points = p.Points();
  ASSERT_NE(points, nullptr);
  points->StartWorker();  // the player starts it at its first frame
  for (int waited = 0; (points->Ready() < points->Points() || !points->LoopProven()) && waited < 1200; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(points->LoopProven()) << "our module's loop repeats to the sample";
  ASSERT_EQ(points->Ready(), points->Points());
  EXPECT_GE(points->Points(), 4);
  // One loop of 90 s folds, from a little after where the song first jumps back.
  EXPECT_EQ(points->Fold(500ull * 44100), 140ull * 44100);

  for (const std::uint64_t frames : {5500ull, 15000ull, 36000ull, 8000ull}) {  // 91.7, 250, 600, 133 s
    SCOPED_TRACE(frames);
    p.BeginReplay(0, 0);
    p.Show(frames, true);
    p.EndReplay(0);
    EXPECT_EQ(p.Next(4410), Straight(frames));
  }
  // A replay resumed from a checkpoint of part one: the clock stands at part
  // one's first frame for its sound call, then moves on to the checkpoint's.
  p.BeginReplay(0, 0);
  p.ReplayFrom(1200);
  p.StreamPlay(2, false, 0);
  p.ReplayFrom(3000);
  p.EndReplay(0);
  EXPECT_EQ(p.Next(4410), Straight(3000));
}

TEST(EnginePlatformTest, AFoldedModuleSkipsLessThanALoopAndSoundsTheSame) {
  // One parked instance only (the song's start): every skip past the fold
  // renders less than a loop, from a fresh instance or on from where the
  // module stands, even when that is later in the loop than the target.
  PresentationDirectory = ZINTAVEL_DEMO_DIR;
  constexpr std::uint64_t S = AudioEngine::Rate;
  AudioEngine folded, plain;
  ASSERT_TRUE(folded.LoadModule(PresentationPath("tune.it"), true, true));
  ASSERT_TRUE(plain.LoadModule(PresentationPath("tune.it"), true, true));
  folded.KeepCheckpoints(2 * folded.ModuleInstanceBytes(), 600 * S);
  ModuleCheckpoints* points = folded.Checkpoints();
  ASSERT_NE(points, nullptr);
  points->AwaitProof();  // no worker: the proof runs here
  ASSERT_TRUE(points->LoopProven());
  // The loop: 90 s from 103.5 s on (the song jumps back to 93.5 s, settles in 10 s).
  EXPECT_EQ(points->Distance(150 * S, 520 * S), 10 * S);
  EXPECT_EQ(points->Distance(190 * S, 275 * S), 85 * S);  // on into the next pass
  EXPECT_EQ(points->Distance(190 * S, 280 * S), 0u);
  folded.PlayModule();
  plain.PlayModule();
  std::vector<float> a(2 * 4410), b(2 * 4410);
  for (const std::uint64_t skip : {190 * S, 85 * S, 75 * S}) {  // to 190, 275 and 350 s
    folded.Skip(skip);
    plain.Skip(skip);
    folded.Render(a.data(), 4410);
    plain.Render(b.data(), 4410);
    EXPECT_EQ(a, b) << skip / S;
  }
}

TEST(EnginePlatformTest, TheMixIsTheSameWhateverBlocksItIsAskedIn) {
  // libopenmpt's floats differ in their last bits with the sizes the module is
  // read in: the engine reads it in fixed blocks, so the device's 1,024
  // frames, the page's 128, a recording's frame at a time and a skip all give
  // the same mix to the bit.
  PresentationDirectory = ZINTAVEL_DEMO_DIR;
  constexpr std::size_t Frames = 44100 * 40;
  std::vector<float> reference;
  for (const std::size_t block : {4096u, 128u, 735u, 1024u, 0u}) {  // 0: skips between renders
    SCOPED_TRACE(block);
    AudioEngine e;
    ASSERT_TRUE(e.LoadModule(PresentationPath("tune.it"), true, true));
    e.PlayModule();
    std::vector<float> mix(2 * Frames);
    for (std::size_t done = 0; done < Frames;) {
      const std::size_t n = std::min<std::size_t>(block ? block : 333 + done % 977, Frames - done);
      if (block == 0 && done % 3 == 0 && done + n < Frames - 44100) {
        e.Skip(n);  // dropped here, so taken from the reference
        std::copy(reference.begin() + 2 * done, reference.begin() + 2 * (done + n), mix.begin() + 2 * done);
      } else {
        e.Render(mix.data() + 2 * done, n);
      }
      done += n;
    }
    if (reference.empty()) reference = mix;
    else EXPECT_TRUE(mix == reference);
  }
}
