// Any moment of the show, at once. The show at time T is what a run on a
// virtual clock at a fixed frame rate shows at T: scenes that feed on the
// previous frame (the blurs, the negative, the fades) leave no other honest
// definition. Reaching T therefore means putting every buffer the scenes write
// back as it was after loading and running the phases forward, unseen, on that
// virtual clock until it reaches T; then the platform's clock takes over from
// there. --start-at, a live seek and a reload that returns to the same moment
// all go this way.
//
// The platform runs the unseen frames (Platform::BeginReplay and its kin): it
// brings their sound along unheard, so the sound stands where the picture does.
//
// Only part one's frames feed on earlier ones, so its state is kept at
// checkpoints a few seconds apart, on the virtual clock: whenever a replay
// passes one, and ahead of the show, a few frames after each frame it shows,
// where the platform seeks live. A replay then starts from the last checkpoint
// before its target instead of from the start; past part one it draws nothing.
#pragma once

#include <cstddef>
#include <cstdint>

struct SceneTable;

struct ShowClockRecord {
  std::uint32_t firstTick;  // the platform tick at which the first phase began
  std::uint32_t offset;     // added to the platform's ticks once a replay has ended
  bool replaying;           // frames run unseen on the virtual clock
  std::uint32_t fps;        // of the virtual clock
  std::uint32_t frames;     // run unseen so far
  std::uint32_t target;     // the show time the replay runs up to
  bool restart;             // a seek came: the phases end and the show starts again
  std::uint32_t restartAt;  // its show time
  bool resume;                 // the replay starts from a checkpoint within part one
  std::uint32_t resumeFrames;  // then the frames the checkpoint stands after
};
extern ShowClockRecord ShowClock;

// Where the first run begins (--start-at), in ms of show time.
extern std::uint32_t StartAtMs;

// The tick the phases read: the virtual clock in a replay, else the platform's.
std::uint32_t ShowTick();
// Milliseconds since the first phase began.
std::uint32_t ShowTime();

// The clock of a show whose first phase begins at firstTick.
void BeginShow(std::uint32_t firstTick);

// Keeps what the scenes write, as it stands now (after loading), to start every
// replay from. Call again after the assets are loaded anew.
void SaveStartState();
void RestoreStartState();

// From the saved state, runs unseen up to the first frame at or after `showMs`
// (at once for 0). The phases then start again from the first.
void BeginReach(std::uint32_t showMs);
// The end of a frame: present and pump, or in a replay one unseen frame (and
// the end of the replay once the clock reaches its target).
void FinishFrame();
// In a replay, whether a frame may go undrawn: every phase but part one draws
// its whole frame from its time alone and reads nothing an earlier frame
// wrote, so only part one's frames and the one it starts from need drawing.
// `feedsNext`: the frame to come is part one's first.
bool SkipUnseenFrame(bool feedsNext = false);
// The tick of the frame to come in a replay.
std::uint32_t NextReplayTick();
// Asks the running phases to end so the show starts again and reaches showMs.
void RequestSeek(std::uint32_t showMs);
inline bool Restarting() { return ShowClock.restart; }

// Checkpoints: one every CheckpointMs of part one.
inline constexpr std::uint32_t CheckpointMs = 3000;
// In part one's loop, once its frame is drawn and before it is finished:
// `more`, another part-one frame follows. Keeps a checkpoint that falls due.
void NotePartOneFrame(bool more);
// Whether the replay begun resumes within part one: the title card is then
// passed over (the clock stands at part one's first frame), and once part one
// has begun, ResumePartOne moves the clock on to the checkpoint's frame.
bool ResumingPartOne();
void ResumePartOne();
// In a phase whose frames draw from their time alone, passes over the unseen
// frames up to the one before the landing at once (where the platform seeks
// live: a recording's own timed quit counts its unseen frames).
void PassUnseenFrames();
// Runs part one ahead of the show by up to `frames` unseen frames, into the
// checkpoints, leaving what the show has drawn as it was. Outside replays.
void RunAhead(const SceneTable& scenes, std::uint32_t frames);
// What the checkpoints hold: how many are ready of how many, and their bytes.
int CheckpointsReady();
int CheckpointCount();
std::size_t CheckpointBytes();
