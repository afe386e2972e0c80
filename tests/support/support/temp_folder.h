// A fresh folder under the system's temporary folder, removed with its content at the end, and
// whole-file reads and writes for the tests' inputs and outputs.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace quillora::test {

struct TempFolder {
  TempFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "quillora-XXXXXX").string();
    path = ::mkdtemp(name.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  [[nodiscard]] std::filesystem::path operator/(const std::filesystem::path& name) const {
    return path / name;
  }

  std::filesystem::path path;
};

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Returns the file, so that a test can write an input and name it in one step.
inline std::filesystem::path WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

}  // namespace quillora::test
