// The two programs run as child processes: arguments without a shell, a chosen environment, files
// for the standard streams, resource limits, a deadline, and the peak memory the child used.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

extern char** environ;

namespace quillora::test {

namespace fs = std::filesystem;

struct Invocation {
  std::string program;  // a path
  std::vector<std::string> arguments;
  // Set (a value) or removed (nullopt) on top of this process's environment.
  std::map<std::string, std::optional<std::string>> environment;
  fs::path working_folder = "/";
  fs::path in = "/dev/null";
  fs::path out = "/dev/null";
  bool append_out = false;  // standard output added at the end of `out`, not replacing it
  fs::path err = "/dev/null";
  std::optional<rlim_t> address_space;  // RLIMIT_AS, bytes
  std::optional<rlim_t> file_size;      // RLIMIT_FSIZE, bytes; SIGXFSZ ignored, so writes fail
};

struct Ended {
  int status = -1;  // -1 when ended by a signal or the deadline
  int signal = 0;
  bool timed_out = false;
  long peak_kib = 0;  // largest resident set
  double seconds = 0;
};

class Child {
 public:
  explicit Child(const Invocation& call) : started_(std::chrono::steady_clock::now()) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      if (call.environment.count(text.substr(0, text.find('='))) == 0) {
        environment.push_back(text);
      }
    }
    for (const auto& [name, value] : call.environment) {
      if (value) {
        environment.push_back(name + "=" + *value);
      }
    }
    std::vector<std::string> words{call.program};
    words.insert(words.end(), call.arguments.begin(), call.arguments.end());
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (auto [strings, pointers] : {std::pair{&words, &argv}, {&environment, &envp}}) {
      for (std::string& s : *strings) {
        pointers->push_back(s.data());
      }
      pointers->push_back(nullptr);
    }

    pid_ = ::fork();
    if (pid_ == 0) {
      // Only async-signal-safe calls from here on.
      const int in = ::open(call.in.c_str(), O_RDONLY);
      const int out = ::open(call.out.c_str(),
                             O_WRONLY | O_CREAT | (call.append_out ? O_APPEND : O_TRUNC), 0644);
      const int err = ::open(call.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
          ::dup2(err, 2) < 0 || ::chdir(call.working_folder.c_str()) != 0) {
        ::_exit(126);
      }
      for (const auto& [resource, limit] :
           {std::pair{RLIMIT_AS, call.address_space}, {RLIMIT_FSIZE, call.file_size}}) {
        if (limit) {
          const rlimit both{*limit, *limit};
          ::setrlimit(resource, &both);
        }
      }
      if (call.file_size) {
        ::signal(SIGXFSZ, SIG_IGN);
      }
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
  }
  ~Child() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      Reap(0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  [[nodiscard]] double SecondsSinceStart() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  }
  bool Running() { return !ended_ && !Reap(WNOHANG); }
  void Kill(int signal) { ::kill(pid_, signal); }

  // Waits for the end, killing the child at the deadline (counted from its start).
  Ended Wait(std::chrono::duration<double> deadline) {
    while (Running()) {
      if (SecondsSinceStart() >= deadline.count()) {
        ::kill(pid_, SIGKILL);
        Reap(0);
        ended_result_.timed_out = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return ended_result_;
  }

 private:
  bool Reap(int options) {
    int raw = 0;
    rusage usage{};
    if (::wait4(pid_, &raw, options, &usage) != pid_) {
      return false;
    }
    ended_ = true;
    ended_result_.seconds = SecondsSinceStart();
    ended_result_.peak_kib = usage.ru_maxrss;
    ended_result_.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    ended_result_.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    return true;
  }

  std::chrono::steady_clock::time_point started_;
  pid_t pid_ = -1;
  bool ended_ = false;
  Ended ended_result_;
};

// Opens and closes of one file, so that a test can act between two steps of a child.
class Watch {
 public:
  Watch(const fs::path& file, std::uint32_t events)
      : fd_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
    ::inotify_add_watch(fd_, file.c_str(), events);
  }
  ~Watch() { ::close(fd_); }
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  // The events' masks, read until one has a bit of `until` or the timeout has passed.
  std::vector<std::uint32_t> Until(std::uint32_t until, std::chrono::milliseconds timeout) {
    std::vector<std::uint32_t> masks;
    const auto stop = std::chrono::steady_clock::now() + timeout;
    pollfd ready{fd_, POLLIN, 0};
    for (auto left = timeout;
         left.count() > 0 && ::poll(&ready, 1, static_cast<int>(left.count())) > 0;
         left = std::chrono::duration_cast<std::chrono::milliseconds>(
             stop - std::chrono::steady_clock::now())) {
      alignas(inotify_event) char buffer[4096];
      const ssize_t got = ::read(fd_, buffer, sizeof buffer);
      for (ssize_t at = 0; at < got; at += static_cast<ssize_t>(sizeof(inotify_event)) +
                                           reinterpret_cast<inotify_event*>(buffer + at)->len) {
        masks.push_back(reinterpret_cast<inotify_event*>(buffer + at)->mask);
      }
      if (std::any_of(masks.begin(), masks.end(), [&](auto mask) { return (mask & until) != 0; })) {
        break;
      }
    }
    return masks;
  }

 private:
  int fd_;
};

struct Outcome {
  Ended ended;
  std::string out;
  std::string err;
};

inline fs::path SamplePath(const std::string& name) {
  return fs::path(QUILLORA_SAMPLES_DIR) / name;
}

// Ended normally with this status, not by a signal or the deadline.
inline ::testing::AssertionResult EndedWith(const Outcome& outcome, int status) {
  const Ended& e = outcome.ended;
  if (e.timed_out || e.signal != 0 || e.status != status) {
    return ::testing::AssertionFailure() << "status " << e.status << ", signal " << e.signal
                                         << ", timed out " << e.timed_out << "\n"
                                         << outcome.err;
  }
  return ::testing::AssertionSuccess();
}

// Status 1 and one line on standard error that says why, naming `named` when given.
inline ::testing::AssertionResult FailedWithAMessage(const Outcome& outcome,
                                                     const std::string& named = "") {
  const std::string& err = outcome.err;
  if (!EndedWith(outcome, 1) || err.empty() || err.find('\n') != err.size() - 1 ||
      err.find(named) == std::string::npos) {
    return ::testing::AssertionFailure()
           << EndedWith(outcome, 1).message() << "; standard error \"" << err << "\"";
  }
  return ::testing::AssertionSuccess();
}

// A working folder of its own for each test and a second one for the standard streams and the
// desktop program's settings, and the two programs run against them. The desktop program gets its
// own settings file and registry stores and no display.
class Processes : public ::testing::Test {
 protected:
  using Seconds = std::chrono::duration<double>;

  [[nodiscard]] fs::path Path(const std::string& name) const { return folder_ / name; }
  // A sample copied into the working folder; returns the copy.
  fs::path CopySample(const std::string& name) const {
    return WriteBytes(Path(name), ReadBytes(SamplePath(name)));
  }

  [[nodiscard]] Invocation Call(const std::string& program,
                                std::vector<std::string> arguments) const {
    Invocation call{program, std::move(arguments)};
    call.working_folder = folder_.path;
    call.out = io_ / "out";
    call.err = io_ / "err";
    return call;
  }
  [[nodiscard]] Invocation ConvertCall(std::vector<std::string> arguments) const {
    return Call(QUILLORA_CONVERT_EXE, std::move(arguments));
  }
  Outcome Run(const Invocation& call, Seconds deadline = Seconds(300)) const {
    const Ended ended = Child(call).Wait(deadline);
    return {ended, ReadBytes(io_ / "out"), ReadBytes(io_ / "err")};
  }
  Outcome Convert(std::vector<std::string> arguments, Seconds deadline = Seconds(300)) const {
    return Run(ConvertCall(std::move(arguments)), deadline);
  }
  // What quillora-convert prints: the reference the other runs are held to.
  std::string Reference(int mode, const fs::path& file) const {
    const Outcome outcome = Convert({std::to_string(mode), "--", file.string()});
    EXPECT_TRUE(EndedWith(outcome, 0));
    return outcome.out;
  }
  // The names in the working folder, sorted.
  [[nodiscard]] std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

#ifdef QUILLORA_EXE
  [[nodiscard]] Invocation ProgramCall(std::vector<std::string> arguments, const fs::path& settings,
                                       const fs::path& registry) const {
    Invocation call = Call(QUILLORA_EXE, std::move(arguments));
    const std::optional<std::string> none;
    call.environment = {{"QUILLORA_SETTINGS", settings.string()},
                        {"QUILLORA_REGISTRY", registry.string()},
                        {"QUILLORA_MACHINE_REGISTRY", (io_ / "machine.sqlite3").string()},
                        {"XDG_RUNTIME_DIR", io_.path.string()},
                        {"QT_QPA_PLATFORM", "offscreen"},
                        {"DISPLAY", none},
                        {"WAYLAND_DISPLAY", none}};
    return call;
  }
  // The batch run, with this default decode type in its settings file.
  [[nodiscard]] Invocation BatchCall(std::vector<std::string> arguments,
                                     int decode_type = 0) const {
    WriteBytes(io_ / "Quillora.ini",
               "[Option]\r\nDefaultDecodeType=" + std::to_string(decode_type) + "\r\n");
    Invocation call =
        ProgramCall(std::move(arguments), io_ / "Quillora.ini", io_ / "registry.sqlite3");
    call.environment["QT_QPA_PLATFORM"] = std::nullopt;  // it needs no platform at all
    return call;
  }
  Outcome Batch(std::vector<std::string> arguments, int decode_type = 0,
                Seconds deadline = Seconds(300)) const {
    return Run(BatchCall(std::move(arguments), decode_type), deadline);
  }
#endif

  TempFolder folder_;
  TempFolder io_;
};

}  // namespace quillora::test
