// Instances of the module parked at points of its song, so that reaching a
// moment of the music mixes only from the nearest point at or before it
// instead of from the song's start. libopenmpt can neither copy an instance
// nor seek one to the sample, so each point is a fresh instance rendered up to
// it and dropped; one taken to play is built again.
//
// The show's module ends on a loop that repeats to the sample, so points are
// needed only up to one pass of the loop past where it settles: a position
// later than that plays exactly as the position whole loops earlier. That is
// not taken on trust: before any position is folded, one instance renders two
// passes and the second must hash the same as the first, block by block.
//
// Work() does the building in bounded steps, on a worker thread natively and
// between the audio thread's blocks in the page. Every other call may come
// from another thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct openmpt_module;

// A fresh instance, as the engine makes it: the repeat count and the ramping set.
openmpt_module* NewModuleInstance(const std::vector<std::uint8_t>& bytes, bool loop, bool ramping);

class ModuleCheckpoints {
 public:
  static constexpr int Rate = 44100;
  // Every instance, parked or playing, reads its song in blocks of this size
  // from the start (libopenmpt's output differs in its last bits with the
  // sizes it is read in), so every position kept is a whole number of blocks.
  static constexpr std::size_t Block = 441;

  struct Plan {
    std::size_t budgetBytes = 0;     // for the parked instances together
    std::size_t instanceBytes = 0;   // what one costs
    std::uint64_t horizon = 0;       // samples: the furthest position to cover without a fold
  };

  ModuleCheckpoints(std::shared_ptr<const std::vector<std::uint8_t>> bytes, bool loop, bool ramping, const Plan& plan);
  ~ModuleCheckpoints();
  ModuleCheckpoints(const ModuleCheckpoints&) = delete;
  ModuleCheckpoints& operator=(const ModuleCheckpoints&) = delete;

  // Renders up to about `samples` samples of building or checking; false once
  // nothing is left to do (until a point is taken).
  bool Work(std::size_t samples);
  // A thread of its own that runs Work() whenever something is left to do,
  // until this is destroyed (not in the page, which has no threads).
  void StartWorker();

  // The parked instance with the greatest position at or before `position`
  // (folded), when it stands fewer than `limit` samples short of it, and how
  // many (`toRender`); nullptr when none is ready that near. The instance is
  // then the caller's.
  openmpt_module* Take(std::uint64_t position, std::uint64_t limit, std::uint64_t& toRender);
  // An instance no longer needed; the builder destroys it.
  void Give(openmpt_module* module);

  // `position` brought back by whole loops once the loop is proven, else as it is.
  std::uint64_t Fold(std::uint64_t position) const;
  // How many samples an instance standing at `from` must render to sound as
  // one standing at `to` (from <= to): less than a loop once it is proven.
  std::uint64_t Distance(std::uint64_t from, std::uint64_t to) const;
  // Until the loop's proof is done: waits for the worker, or runs it here
  // where there is none. A target far into the song needs the fold.
  void AwaitProof();
  bool LoopProven() const;
  bool LoopChecked() const;
  std::uint64_t Spacing() const { return spacing_; }
  int Points() const { return static_cast<int>(slots_.size()); }
  int Ready() const;
  std::size_t Bytes() const { return (slots_.size() + 1) * instanceBytes_; }

 private:
  struct Slot {
    std::uint64_t position;
    openmpt_module* module = nullptr;  // parked, ready
    bool building = false;
  };
  struct Check;  // the loop's proof in progress

  void RunWorker();
  bool StepBuild(std::size_t samples);
  bool StepCheck(std::size_t samples);
  void DestroyGiven();

  const std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
  const bool loop_, ramping_;
  std::size_t instanceBytes_;
  std::uint64_t spacing_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::vector<Slot> slots_;
  std::vector<openmpt_module*> given_;
  // The loop: positions from foldFrom_ + period_ on fold back by whole periods.
  std::uint64_t foldFrom_ = 0, period_ = 0;
  bool proven_ = false, checked_ = false;

  // What the builder works on, outside the lock.
  openmpt_module* building_ = nullptr;
  std::size_t buildingSlot_ = 0;
  std::uint64_t buildingAt_ = 0;
  Check* check_ = nullptr;
  std::vector<float> scratch_;
  std::thread worker_;
};
