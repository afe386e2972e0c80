// The command-line programs run as processes through the shell, each test in a folder of its own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace quillora_test {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Quoted(std::string_view word) {
  std::string quoted = "'";
  for (const char c : word) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class ProcessTest : public testing::Test {
 protected:
  ProcessTest() {
    std::string pattern = (fs::temp_directory_path() / "quillora-tools-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  ~ProcessTest() override { fs::remove_all(folder_); }

  // `setup` runs in the shell first (cd, limits, variables). Standard output goes to `output` when
  // given, and is then not captured; standard error always is, into the folder's "err".
  Outcome Run(const std::string& program, const std::vector<std::string>& arguments,
              const std::string& setup = "", const std::string& input = "/dev/null",
              const std::string& output = "") const {
    fs::remove(folder_ / "out");
    std::string command = setup + " exec " + Quoted(program);
    for (const std::string& argument : arguments) {
      command += " " + Quoted(argument);
    }
    command += " <" + Quoted(input) + " >" +
               Quoted(output.empty() ? (folder_ / "out").string() : output) + " 2>" +
               Quoted((folder_ / "err").string());
    const int raw = std::system(("sh -c " + Quoted(command)).c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(folder_ / "out"),
            ReadFile(folder_ / "err")};
  }

  // The names in the folder, sorted.
  [[nodiscard]] std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path folder_;
};

}  // namespace quillora_test
