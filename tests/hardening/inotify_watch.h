// Watching one file for opens and closes, so that a test can act between two steps of a child.
#pragma once

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <optional>

namespace quillora::hardening {

class Watch {
 public:
  Watch(const std::filesystem::path& file, std::uint32_t events)
      : fd_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
    ::inotify_add_watch(fd_, file.c_str(), events);
  }
  ~Watch() { ::close(fd_); }
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  // The next event's mask, or nullopt when none comes before the timeout.
  std::optional<std::uint32_t> Next(std::chrono::milliseconds timeout) {
    if (queued_.empty()) {
      pollfd ready{fd_, POLLIN, 0};
      if (::poll(&ready, 1, static_cast<int>(timeout.count())) <= 0) {
        return std::nullopt;
      }
      alignas(inotify_event) char buffer[4096];
      const ssize_t got = ::read(fd_, buffer, sizeof buffer);
      for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
        inotify_event event;
        std::memcpy(&event, buffer + at, sizeof event);
        queued_.push_back(event.mask);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
      }
      if (queued_.empty()) {
        return std::nullopt;
      }
    }
    const std::uint32_t mask = queued_.front();
    queued_.pop_front();
    return mask;
  }

  // Waits for an event that has any of the bits in `events`; false at the timeout.
  bool WaitFor(std::uint32_t events, std::chrono::milliseconds timeout) {
    const auto stop = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          stop - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        return false;
      }
      const std::optional<std::uint32_t> mask = Next(left);
      if (mask && (*mask & events) != 0) {
        return true;
      }
    }
  }

 private:
  int fd_;
  std::deque<std::uint32_t> queued_;
};

}  // namespace quillora::hardening
