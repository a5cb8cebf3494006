#include "os/watch.h"

#include <dirent.h>
#include <fcntl.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

DataWatcher::DataWatcher(const std::string& directory, Way way) : directory_(directory), way_(way) {
#ifndef __linux__
  way_ = Way::Polling;  // no inotify: the files' stamps are compared
#else
  if (way_ == Way::Inotify) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0 || (wd_ = inotify_add_watch(fd_, directory_.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE)) < 0) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = -1;
      way_ = Way::Polling;
    }
  }
#endif
  Watch();
}

std::pair<dev_t, ino_t> DataWatcher::Identity() const {
  struct stat s;
  if (::stat(directory_.c_str(), &s) != 0) return {};
  return {s.st_dev, s.st_ino};
}

// (Again) the directory now under the name: inotify's watch moved to it, the
// stamps to compare taken from it.
void DataWatcher::Watch() {
  [[maybe_unused]] const bool again = identity_.second != 0;
  identity_ = Identity();
#ifdef __linux__
  if (way_ == Way::Inotify) {
    if (again) {
      inotify_rm_watch(fd_, wd_);
      wd_ = inotify_add_watch(fd_, directory_.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE);
    }
    return;
  }
#endif
  seen_ = Scan();
}

bool DataWatcher::TakeReplaced() {
  const bool was = replaced_;
  replaced_ = false;
  return was;
}

DataWatcher::~DataWatcher() {
  if (fd_ >= 0) ::close(fd_);
}

std::map<std::string, DataWatcher::Stamp> DataWatcher::Scan() const {
  std::map<std::string, Stamp> files;
  DIR* dir = ::opendir(directory_.c_str());
  if (!dir) return files;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    struct stat s;
    if (::stat((directory_ + "/" + entry->d_name).c_str(), &s) != 0) continue;
#ifdef _WIN32
    // No inodes, and st_ctime is the creation time: the time of the last write.
    files[entry->d_name] = Stamp{s.st_size, 0, std::int64_t{s.st_mtime} * 1000000000};
#else
    files[entry->d_name] = Stamp{s.st_size, s.st_ino, std::int64_t{s.st_ctim.tv_sec} * 1000000000 + s.st_ctim.tv_nsec};
#endif
  }
  ::closedir(dir);
  return files;
}

std::vector<std::string> DataWatcher::Changed() {
  std::set<std::string> names;
  [[maybe_unused]] bool gone = false;  // moved away, nothing under its name yet: what happens in it is not ours
#ifndef _WIN32  // no inodes there
  const std::pair<dev_t, ino_t> now = Identity();
  if (now != identity_) {
    gone = now.second == 0;
    if (!gone) {
      Watch();
      replaced_ = true;
    }
    if (way_ == Way::Polling) return {};
  }
#endif
#ifdef __linux__
  if (way_ == Way::Inotify) {
    alignas(inotify_event) char buffer[16384];
    for (;;) {
      const ssize_t got = ::read(fd_, buffer, sizeof buffer);
      if (got <= 0) break;  // EAGAIN: nothing more now
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        // Events of a watch given up (the replaced directory) are dropped.
        if (!gone && event->wd == wd_ && event->len > 0 && event->name[0] != '.') names.insert(event->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return {names.begin(), names.end()};
  }
#endif
  {
    std::map<std::string, Stamp> now = Scan();
    for (const auto& [name, stamp] : now) {
      const auto was = seen_.find(name);
      if (was == seen_.end() || was->second != stamp) names.insert(name);
    }
    for (const auto& [name, stamp] : seen_) {
      if (!now.count(name)) names.insert(name);
    }
    seen_ = std::move(now);
  }
  return {names.begin(), names.end()};
}
