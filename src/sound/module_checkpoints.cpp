#include "sound/module_checkpoints.h"

#include <algorithm>
#include <cmath>

#include <libopenmpt/libopenmpt.h>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

// How long after the loop's first jump back the proof starts: notes ringing
// from before the first pass fade by then (our module's settle in under 2 s).
constexpr std::uint64_t Settle = 10 * ModuleCheckpoints::Rate;
// How far the loop's exact length may lie from the one the song's length
// gives (that length is estimated, a row or so short), and how many frames
// must match to find it.
constexpr double SearchSeconds = 0.25;
constexpr std::uint64_t Search = static_cast<std::uint64_t>(SearchSeconds * ModuleCheckpoints::Rate);
constexpr std::uint64_t Match = 4096;

std::uint64_t Hash(const float* p, std::size_t n, std::uint64_t h) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n * sizeof(float); ++i) h = (h ^ b[i]) * 0x100000001b3ull;
  return h;
}

constexpr std::uint64_t B = ModuleCheckpoints::Block;
std::uint64_t BlocksUp(std::uint64_t n) { return (n + B - 1) / B * B; }

// Renders and drops up to `n` samples (whole blocks); how many the module gave.
std::uint64_t Drop(openmpt_module* m, std::uint64_t n, std::vector<float>& scratch) {
  scratch.resize(2 * B);
  std::uint64_t done = 0;
  while (done < n) {
    const std::size_t got = openmpt_module_read_interleaved_float_stereo(m, ModuleCheckpoints::Rate, B, scratch.data());
    done += got;
    if (got < B) break;
  }
  return done;
}

}  // namespace

openmpt_module* NewModuleInstance(const std::vector<std::uint8_t>& bytes, bool loop, bool ramping) {
  openmpt_module* m = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                                         openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
  if (!m) return nullptr;
  openmpt_module_set_repeat_count(m, loop ? -1 : 0);
  openmpt_module_set_render_param(m, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, ramping ? -1 : 0);
  return m;
}

// One instance rendering from the start. It finds where the song jumps back
// to (the loop's start), which with the song's length gives the loop's length
// to within a few rows; the exact length is where the sound just after the
// settling point comes again. The proof is then a hash of one whole loop
// against a hash of the loop after it.
struct ModuleCheckpoints::Check {
  openmpt_module* module = nullptr;
  bool started = false;   // the instance made
  std::uint64_t at = 0;   // samples rendered
  std::uint64_t end = 0;  // of the first pass, about (the song's length)
  double loopStart = 0;   // seconds
  std::uint64_t guess = 0;           // the loop's length, about
  std::uint64_t hash1 = Fnv, hash2 = Fnv;
  std::vector<float> head;           // the first frames after the settling point
  std::vector<float> near;           // the frames about one loop later
  std::vector<std::uint64_t> hashes; // of the first pass, at each length about one loop
  std::uint64_t found = 0;           // the loop's exact length, once found
  static constexpr std::uint64_t Fnv = 0xcbf29ce484222325ull;
};

ModuleCheckpoints::ModuleCheckpoints(std::shared_ptr<const std::vector<std::uint8_t>> bytes, bool loop, bool ramping,
                                     const Plan& plan)
    : bytes_(std::move(bytes)), loop_(loop), ramping_(ramping), instanceBytes_(std::max<std::size_t>(plan.instanceBytes, 1)) {
  // The instance being built takes one share of the budget.
  const std::size_t count = std::max<std::size_t>(2, plan.budgetBytes / instanceBytes_);
  slots_.resize(count - 1);
  // The proof's instance is made by the first step of work, on the worker:
  // making it here would hold up the show's first frame.
  if (loop_) check_ = new Check;
  else checked_ = true;
  // Until the loop is known, points are spread up to the horizon.
  spacing_ = BlocksUp(std::max<std::uint64_t>(Rate, plan.horizon / slots_.size()));
  for (std::size_t k = 0; k < slots_.size(); ++k) slots_[k].position = k * spacing_;
}

ModuleCheckpoints::~ModuleCheckpoints() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    wake_.notify_all();
  }
  if (worker_.joinable()) worker_.join();
  for (Slot& s : slots_)
    if (s.module) openmpt_module_destroy(s.module);
  if (building_) openmpt_module_destroy(building_);
  if (check_) {
    if (check_->module) openmpt_module_destroy(check_->module);
    delete check_;
  }
  DestroyGiven();
}

void ModuleCheckpoints::DestroyGiven() {
  std::vector<openmpt_module*> given;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    given.swap(given_);
  }
  for (openmpt_module* m : given) openmpt_module_destroy(m);
}

bool ModuleCheckpoints::Work(std::size_t samples) {
  DestroyGiven();
  if (!checked_) {  // the proof first; the points' positions wait for it
    StepCheck(samples);
    return true;
  }
  return StepBuild(samples);
}

// The proof first: until it is done, the points' positions are not final.
bool ModuleCheckpoints::StepCheck(std::size_t samples) {
  Check& c = *check_;
  auto finish = [&](bool proven) {
    if (c.module) openmpt_module_destroy(c.module);
    c.module = nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    checked_ = true;
    proven_ = proven;
    wake_.notify_all();
    if (proven) {
      period_ = c.found;
      // Points over the song up to one loop past where it settles.
      const std::uint64_t range = foldFrom_ + period_;
      spacing_ = BlocksUp(std::max<std::uint64_t>(Rate, (range + slots_.size() - 1) / slots_.size()));
      for (std::size_t k = 0; k < slots_.size(); ++k) slots_[k].position = k * spacing_;
    }
    return false;
  };
  if (!c.started) {
    c.started = true;
    c.module = NewModuleInstance(*bytes_, loop_, ramping_);
    if (!c.module) return finish(false);
    openmpt_module_set_position_order_row(c.module, 0, 0);
    c.end = static_cast<std::uint64_t>(std::ceil(openmpt_module_get_duration_seconds(c.module) * Rate));
    if (c.end == 0) return finish(false);
  }
  const std::uint64_t n = BlocksUp(std::max<std::size_t>(samples, 1));
  if (c.guess == 0) {
    // Up to a little past the first pass, then ask which order it jumped to.
    const std::uint64_t to = BlocksUp(c.end + Rate / 2);
    const std::uint64_t got = Drop(c.module, std::min(n, to - c.at), scratch_);
    c.at += got;
    if (c.at % B != 0 || got == 0) return finish(false);
    if (c.at < to) return true;
    openmpt_module* probe = NewModuleInstance(*bytes_, loop_, ramping_);
    if (!probe) return finish(false);
    c.loopStart = openmpt_module_set_position_order_row(probe, openmpt_module_get_current_order(c.module), 0);
    openmpt_module_destroy(probe);
    const double guess = openmpt_module_get_duration_seconds(c.module) - c.loopStart;
    if (!(c.loopStart >= 0) || !(guess >= 2 * SearchSeconds)) return finish(false);
    c.guess = static_cast<std::uint64_t>(std::llround(guess * Rate));
    foldFrom_ = BlocksUp(static_cast<std::uint64_t>(std::llround(c.loopStart * Rate)) + Settle);
    c.hashes.reserve(2 * Search + 1);
    // The settling point lies behind: from the start again.
    openmpt_module_destroy(c.module);
    c.module = NewModuleInstance(*bytes_, loop_, ramping_);
    if (!c.module) return finish(false);
    openmpt_module_set_position_order_row(c.module, 0, 0);
    c.at = 0;
  }
  if (c.at < foldFrom_) {
    const std::uint64_t got = Drop(c.module, std::min(n, foldFrom_ - c.at), scratch_);
    c.at += got;
    return got > 0 && c.at % B == 0 ? true : finish(false);
  }
  // From the settling point on, frame by frame: x frames past it.
  const std::uint64_t lo = c.guess - Search, hi = c.guess + Search;
  scratch_.resize(2 * B);
  for (std::uint64_t step = 0; step < n; step += B) {
  const std::size_t got = openmpt_module_read_interleaved_float_stereo(c.module, Rate, B, scratch_.data());
  if (got < B) return finish(false);
  for (std::size_t i = 0; i < got; ++i) {
    const std::uint64_t x = c.at - foldFrom_;
    const float* frame = &scratch_[2 * i];
    if (x < Match) c.head.insert(c.head.end(), frame, frame + 2);
    if (c.found == 0) {
      if (x >= lo && x <= hi) c.hashes.push_back(c.hash1);
      c.hash1 = Hash(frame, 2, c.hash1);
      if (x >= lo && x < hi + Match) c.near.insert(c.near.end(), frame, frame + 2);
      if (x + 1 == hi + Match) {
        // Where the sound after the settling point comes again: the loop's length.
        for (std::uint64_t d = (B - lo % B) % B; d <= 2 * Search && c.found == 0; d += B)
          if (std::equal(c.head.begin(), c.head.end(), c.near.begin() + 2 * d)) c.found = lo + d;
        // Only a loop of whole blocks repeats to the bit: each pass must be read alike.
        if (c.found == 0 || c.found % B != 0) return finish(false);
        c.hash1 = c.hashes[c.found - lo];  // the first loop's hash
        c.hash2 = Hash(c.near.data() + 2 * (c.found - lo), 2 * (hi + Match - c.found), Check::Fnv);
        std::vector<float>().swap(c.near);
        std::vector<std::uint64_t>().swap(c.hashes);
      }
    } else {
      c.hash2 = Hash(frame, 2, c.hash2);
      if (x + 1 == 2 * c.found) return finish(c.hash2 == c.hash1);
    }
    ++c.at;
  }
  }
  return true;
}

bool ModuleCheckpoints::StepBuild(std::size_t samples) {
  if (!building_) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t k = 0;
    while (k < slots_.size() && (slots_[k].module || slots_[k].building)) ++k;
    if (k == slots_.size()) return false;
    slots_[k].building = true;
    buildingSlot_ = k;
  }
  if (!building_) {
    building_ = NewModuleInstance(*bytes_, loop_, ramping_);
    buildingAt_ = 0;
    if (!building_) {  // it loaded once; it will not load now
      std::lock_guard<std::mutex> lock(mutex_);
      slots_.resize(buildingSlot_);
      return false;
    }
    // Every point but the song's start stands as a module that began to play.
    if (buildingSlot_ > 0) openmpt_module_set_position_order_row(building_, 0, 0);
  }
  std::uint64_t target;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    target = slots_[buildingSlot_].position;
  }
  const std::uint64_t want = std::min<std::uint64_t>(BlocksUp(samples), target - buildingAt_);
  const std::uint64_t got = Drop(building_, want, scratch_);
  buildingAt_ += got;
  if (buildingAt_ < target && got == want) return true;
  std::lock_guard<std::mutex> lock(mutex_);
  Slot& s = slots_[buildingSlot_];
  s.building = false;
  if (buildingAt_ == s.position) {
    s.module = building_;
  } else {  // the song ended first: no point past its end
    openmpt_module_destroy(building_);
    slots_.resize(buildingSlot_);
  }
  building_ = nullptr;
  wake_.notify_all();
  return true;
}

void ModuleCheckpoints::RunWorker() {
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (stop_) return;
    }
    if (Work(Rate / 4)) continue;
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [&] {
      if (stop_ || !given_.empty()) return true;
      for (const Slot& s : slots_)
        if (!s.module && !s.building) return true;
      return false;
    });
  }
}

void ModuleCheckpoints::StartWorker() {
#ifndef __EMSCRIPTEN__
  if (!worker_.joinable())
    worker_ = std::thread([this] {
#ifdef __linux__
      // Behind the show's own threads when the cores are busy.
      setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
#endif
      RunWorker();
    });
#endif
}

openmpt_module* ModuleCheckpoints::Take(std::uint64_t position, std::uint64_t limit, std::uint64_t& toRender) {
  const std::uint64_t f = Fold(position);
  std::lock_guard<std::mutex> lock(mutex_);
  Slot* best = nullptr;
  for (Slot& s : slots_)
    if (s.module && s.position <= f && (!best || s.position > best->position)) best = &s;
  if (!best || f - best->position >= limit) return nullptr;
  openmpt_module* m = best->module;
  best->module = nullptr;
  toRender = f - best->position;
  wake_.notify_all();
  return m;
}

void ModuleCheckpoints::Give(openmpt_module* module) {
  if (!module) return;
  std::lock_guard<std::mutex> lock(mutex_);
  given_.push_back(module);
  wake_.notify_all();
}

std::uint64_t ModuleCheckpoints::Fold(std::uint64_t position) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!proven_ || position < foldFrom_ + period_) return position;
  return foldFrom_ + (position - foldFrom_) % period_;
}

std::uint64_t ModuleCheckpoints::Distance(std::uint64_t from, std::uint64_t to) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!proven_ || to < foldFrom_ + period_ || to < from) return to - from;
  const auto fold = [&](std::uint64_t p) { return p < foldFrom_ + period_ ? p : foldFrom_ + (p - foldFrom_) % period_; };
  const std::uint64_t a = fold(from), b = fold(to);
  return a <= b ? b - a : b + period_ - a;  // on to the same point of the next pass
}

void ModuleCheckpoints::AwaitProof() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (checked_) return;
  if (worker_.joinable()) {
    wake_.wait(lock, [&] { return checked_ || stop_; });
    return;
  }
  lock.unlock();
  while (!LoopChecked() && Work(Rate)) {
  }
}

bool ModuleCheckpoints::LoopChecked() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return checked_;
}

bool ModuleCheckpoints::LoopProven() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return proven_;
}

int ModuleCheckpoints::Ready() const {
  std::lock_guard<std::mutex> lock(mutex_);
  int n = 0;
  for (const Slot& s : slots_) n += s.module != nullptr;
  return n;
}
