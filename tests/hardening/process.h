// Running the two programs as child processes: arguments without a shell, a chosen environment,
// files for the standard streams, a deadline, and the peak memory the child used.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quillora::hardening {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Invocation {
  std::string program;
  std::vector<std::string> arguments;
  // Set (a value) or removed (nullopt) on top of this process's environment.
  std::map<std::string, std::optional<std::string>> environment;
  fs::path working_folder = "/";
  fs::path in = "/dev/null";
  fs::path out = "/dev/null";
  fs::path err = "/dev/null";
  std::optional<rlim_t> address_space;  // RLIMIT_AS, bytes
};

struct Ended {
  int status = -1;         // the exit status, or -1 when ended by a signal or the deadline
  int signal = 0;          // the signal that ended it
  bool timed_out = false;  // killed at the deadline
  long peak_kib = 0;       // largest resident set, KiB
  double seconds = 0;      // wall-clock time from start to end
};

class Child {
 public:
  explicit Child(const Invocation& invocation) : started_(std::chrono::steady_clock::now()) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      if (invocation.environment.count(text.substr(0, text.find('='))) == 0) {
        environment.push_back(text);
      }
    }
    for (const auto& [name, value] : invocation.environment) {
      if (value) {
        environment.push_back(name + "=" + *value);
      }
    }
    std::vector<std::string> words{invocation.program};
    words.insert(words.end(), invocation.arguments.begin(), invocation.arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
      argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
      envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
      // Only async-signal-safe calls from here on.
      const int in = ::open(invocation.in.c_str(), O_RDONLY);
      const int out = ::open(invocation.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = ::open(invocation.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
          ::dup2(err, 2) < 0 || ::chdir(invocation.working_folder.c_str()) != 0) {
        ::_exit(126);
      }
      if (invocation.address_space) {
        const rlimit limit{*invocation.address_space, *invocation.address_space};
        ::setrlimit(RLIMIT_AS, &limit);
      }
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
  }
  ~Child() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      Wait(std::chrono::seconds(10));
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  [[nodiscard]] pid_t pid() const { return pid_; }
  [[nodiscard]] double SecondsSinceStart() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  }

  // Still running?
  bool Running() {
    if (ended_) {
      return false;
    }
    return !Reap(WNOHANG);
  }

  void Kill(int signal) { ::kill(pid_, signal); }

  // Waits for the end, killing the child at the deadline.
  Ended Wait(std::chrono::duration<double> deadline) {
    const auto stop =
        started_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(deadline);
    while (!ended_ && !Reap(WNOHANG)) {
      if (std::chrono::steady_clock::now() >= stop) {
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
    const pid_t got = ::wait4(pid_, &raw, options, &usage);
    if (got != pid_) {
      return false;
    }
    ended_ = true;
    ended_result_.seconds = SecondsSinceStart();
    ended_result_.peak_kib = usage.ru_maxrss;
    if (WIFEXITED(raw)) {
      ended_result_.status = WEXITSTATUS(raw);
    } else if (WIFSIGNALED(raw)) {
      ended_result_.signal = WTERMSIG(raw);
    }
    return true;
  }

  std::chrono::steady_clock::time_point started_;
  pid_t pid_ = -1;
  bool ended_ = false;
  Ended ended_result_;
};

inline Ended RunToEnd(const Invocation& invocation,
                      std::chrono::duration<double> deadline = std::chrono::seconds(120)) {
  Child child(invocation);
  return child.Wait(deadline);
}

// Whether the child holds a descriptor open on file.
inline bool HoldsOpen(pid_t pid, const fs::path& file) {
  std::error_code error;
  for (fs::directory_iterator it(fs::path("/proc") / std::to_string(pid) / "fd", error), end;
       !error && it != end; it.increment(error)) {
    std::error_code link_error;
    if (fs::read_symlink(it->path(), link_error) == file) {
      return true;
    }
  }
  return false;
}

// A fresh folder under the system's temporary folder, removed with its content at the end.
struct TempFolder {
  TempFolder() {
    std::string name = (fs::temp_directory_path() / "quillora-hardening-XXXXXX").string();
    path = ::mkdtemp(name.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  fs::path path;
};

// True in a build with AddressSanitizer, whose shadow memory rules out address-space limits and
// whose allocator makes peak memory a poor measure.
constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

}  // namespace quillora::hardening
