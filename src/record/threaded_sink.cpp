// A sink on a worker thread: the backend renders the next frame while the
// worker compresses and writes the last. Calls are queued in order and at most
// a few frames deep, so the wrapped sink sees exactly the calls it would have
// seen directly and memory stays flat. A failure on the worker is seen by the
// next call here.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "record/recording_sink.h"

namespace {

constexpr std::size_t MaxQueued = 4;

class ThreadedSink final : public RecordingSink {
 public:
  explicit ThreadedSink(std::unique_ptr<RecordingSink> inner) : inner_(std::move(inner)) {}
  ~ThreadedSink() override { Stop(); }

  bool Prepare() override { return inner_->Prepare(); }

  bool Begin(int width, int height) override {
    if (!inner_->Begin(width, height)) return false;
    pixels_ = static_cast<std::size_t>(width) * height;
    worker_ = std::thread([this] { Work(); });
    return true;
  }

  bool WriteFrame(std::uint32_t index, const std::uint32_t* pixels) override {
    Job job;
    job.index = index;
    job.frame = TakeBuffer();
    job.frame.assign(pixels, pixels + pixels_);
    return Push(std::move(job));
  }

  bool WriteSound(const std::int16_t* stereo, std::size_t frames) override {
    Job job;
    job.sound.assign(stereo, stereo + 2 * frames);
    return Push(std::move(job));
  }

  void SetChapters(const std::vector<Chapter>& chapters, std::uint64_t endMs) override {
    Stop();  // the worker is done with the file before its chapters are set
    inner_->SetChapters(chapters, endMs);
  }
  bool Finish() override {
    Stop();
    return inner_->Finish();
  }

  std::string Written() const override { return inner_->Written(); }
  // Only once Finish has run: until then the worker may be writing it.
  std::string Error() const override { return inner_->Error(); }

 private:
  struct Job {
    std::uint32_t index = 0;
    std::vector<std::uint32_t> frame;  // a frame when not empty, else sound
    std::vector<std::int16_t> sound;
  };

  std::vector<std::uint32_t> TakeBuffer() {
    std::lock_guard lock(mutex_);
    if (spare_.empty()) return {};
    std::vector<std::uint32_t> b = std::move(spare_.back());
    spare_.pop_back();
    return b;
  }

  bool Push(Job job) {
    std::unique_lock lock(mutex_);
    if (failed_ || !worker_.joinable()) return false;
    room_.wait(lock, [&] { return queue_.size() < MaxQueued; });
    queue_.push_back(std::move(job));
    ready_.notify_one();
    return true;
  }

  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      ready_.wait(lock, [&] { return !queue_.empty() || stopping_; });
      if (queue_.empty()) return;
      Job job = std::move(queue_.front());
      queue_.pop_front();
      room_.notify_one();
      lock.unlock();
      const bool ok = failed_ ? false
                      : job.frame.empty()
                          ? inner_->WriteSound(job.sound.data(), job.sound.size() / 2)
                          : inner_->WriteFrame(job.index, job.frame.data());
      lock.lock();
      if (!ok) failed_ = true;
      if (!job.frame.empty()) spare_.push_back(std::move(job.frame));
    }
  }

  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      ready_.notify_one();
    }
    if (worker_.joinable()) worker_.join();
  }

  std::unique_ptr<RecordingSink> inner_;
  std::size_t pixels_ = 0;
  std::thread worker_;
  mutable std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<Job> queue_;
  std::vector<std::vector<std::uint32_t>> spare_;
  bool stopping_ = false, failed_ = false;
};

}  // namespace

std::unique_ptr<RecordingSink> MakeThreadedSink(std::unique_ptr<RecordingSink> inner) {
  return std::make_unique<ThreadedSink>(std::move(inner));
}
