// The INI reader on any file, and a write into it: the key written reads back as written, and
// every other key reads as before.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_check.h"
#include "platform/ini_file.h"

namespace {

namespace fs = std::filesystem;
using quillora::ini::GetPrivateProfileStringA;
using quillora::ini::WritePrivateProfileStringA;

// tmpfs where there is one: every iteration writes and renames the file.
const fs::path& Folder() {
  static const fs::path folder = [] {
    std::string pattern =
        (fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path())
            .append("quillora-ini-fuzz-XXXXXX")
            .string();
    return fs::path(::mkdtemp(pattern.data()));
  }();
  return folder;
}

constexpr std::uint32_t kSize = 64;

struct Read {
  std::uint32_t count;
  std::string value;
};

Read Get(std::string_view section, std::string_view key, const fs::path& file) {
  char buffer[kSize + 8];
  std::memset(buffer, 0x5A, sizeof buffer);
  const std::uint32_t count = GetPrivateProfileStringA(section, key, "(none)", buffer, kSize, file);
  FUZZ_CHECK(count < kSize);
  FUZZ_CHECK(buffer[count] == '\0');
  for (std::size_t k = kSize; k < sizeof buffer; ++k) {
    FUZZ_CHECK(buffer[k] == 0x5A);  // nothing written past the size given
  }
  return {count, std::string(buffer, count)};
}

// A name or value the writer accepts and the reader gives back unchanged: ASCII letters and
// digits, from the input's bytes.
std::string Word(quillora::fuzz::Choices& choices, std::size_t length) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzVIEWOPTN0123456789_";
  std::string word;
  for (std::size_t k = 0; k < length; ++k) {
    word += kLetters[choices.Byte() % (sizeof kLetters - 1)];
  }
  return word;
}

// Names match without regard to ASCII case.
std::string Folded(std::string name) {
  for (char& c : name) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quillora::fuzz::Choices choices(data, size);
  const std::string section = Word(choices, 1 + choices.Byte() % 5);
  const std::string key = Word(choices, 1 + choices.Byte() % 5);
  const std::string value = Word(choices, choices.Byte() % 8);
  const std::string other_section = Word(choices, 1 + choices.Byte() % 5);
  const std::string other_key = Word(choices, 1 + choices.Byte() % 5);
  const std::span<const std::uint8_t> content = choices.Rest();

  const fs::path file = Folder() / "Quillora.ini";
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(content.data()),
             static_cast<std::streamsize>(content.size()));

  // The settings the program reads, from whatever the file holds.
  for (const char* setting : {"Left", "Top", "Width", "Height"}) {
    Get("View", setting, file);
  }
  for (const char* setting :
       {"LastOpenFolder", "SelectFont", "SelectFontsize", "DefaultDecodeType"}) {
    Get("Option", setting, file);
  }

  const Read before = Get(other_section, other_key, file);
  FUZZ_CHECK(WritePrivateProfileStringA(section, key, value, file));
  const Read written = Get(section, key, file);
  FUZZ_CHECK(written.value == value);
  if (Folded(other_section) != Folded(section) || Folded(other_key) != Folded(key)) {
    const Read after = Get(other_section, other_key, file);
    FUZZ_CHECK(after.value == before.value);
  }
  return 0;
}
