// KanjiConv: reads a file whole and runs the converter that belongs to the conversion mode.
#include "front_door.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <new>
#include <stdexcept>
#include <utility>

#include "clsConvert.h"
#include "cp932_codec.h"
#include "mail_text.h"
#include "utf8.h"

namespace quillora {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  [[nodiscard]] int get() const noexcept { return fd_; }

 private:
  int fd_;
};

// Reads into bytes[filled, size) until it is full or the file ends; nullopt on a read error.
std::optional<std::size_t> ReadInto(int fd, ByteBuffer& bytes, std::size_t filled) {
  while (filled < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      return std::nullopt;
    }
    if (got == 0) {
      break;
    }
    filled += static_cast<std::size_t>(got);
  }
  return filled;
}

constexpr std::size_t kStreamChunk = std::size_t{64} * 1024;

// A regular file is read at its length in one read; a pipe, or a file that reports no length
// (/proc), is read until it ends.
std::optional<ByteBuffer> ReadOpenFile(int fd, const struct stat& status) {
  const bool sized = S_ISREG(status.st_mode) && status.st_size > 0;
  ByteBuffer bytes;
  const std::size_t length = sized ? static_cast<std::size_t>(status.st_size) : kStreamChunk;
  bytes.reserve(length + 1);
  bytes.resize(length);
  std::size_t filled = 0;
  for (;;) {
    const auto now = ReadInto(fd, bytes, filled);
    if (!now) {
      return std::nullopt;
    }
    if (sized || *now < bytes.size()) {
      bytes.resize(*now);  // a file that shrank meanwhile gives what it still holds
      break;
    }
    filled = *now;
    bytes.resize(bytes.size() * 2);
  }
  bytes.reserve(bytes.size() + 1);
  return bytes;
}

bool HoldsKanjiIn(const ByteBuffer& bytes) {
  static constexpr std::array<std::uint8_t, 3> kEscDollarB{0x1B, 0x24, 0x42};
  return std::search(bytes.begin(), bytes.end(), kEscDollarB.begin(), kEscDollarB.end()) !=
         bytes.end();
}

FrontDoorOutcome FromBytes(ByteBuffer bytes) {
  FrontDoorOutcome outcome;
  outcome.text = BytesToText(bytes);
  outcome.bytes = std::move(bytes);
  outcome.file_read = true;
  return outcome;
}

FrontDoorOutcome FromText(Text text) {
  FrontDoorOutcome outcome;
  outcome.bytes = TextToBytes(text);
  outcome.text = std::move(text);
  outcome.file_read = true;
  return outcome;
}

// The bytes a converter produced: its whole output on success; after a failure only those it
// produced, not the zero bytes that merely pad its buffer.
ByteBuffer Produced(ByteBuffer output, ConvertResult result) {
  if (!result.ok()) {
    output.resize(std::min(result.count, output.size()));
  }
  return output;
}

// UTF-16 little-endian bytes, byte-order mark included; an odd final byte is no whole unit.
Text Utf16LeUnits(const ByteBuffer& bytes) {
  Text units;
  units.reserve(bytes.size() / 2 + 1);
  std::size_t k = 0;
  for (; k + 1 < bytes.size(); k += 2) {
    units.push_back(static_cast<char16_t>(bytes[k] | (bytes[k + 1] << 8)));
  }
  if (k < bytes.size()) {
    units.push_back(u'\uFFFD');
  }
  return units;
}

FrontDoorOutcome Utf16LeToSjis(const ByteBuffer& input) {
  // Only what code page 932 can hold comes through; the first character is the place of the
  // byte-order mark, which itself encodes as "?".
  Text text = BytesToText(TextToBytes(Utf16LeUnits(input)));
  text.erase(0, std::min<std::size_t>(1, text.size()));
  return FromText(std::move(text));
}

}  // namespace

std::optional<ByteBuffer> ReadWholeFile(const Text& path) {
  const std::optional<std::string> name = FileNameToUtf8(path);
  if (!name) {
    return std::nullopt;
  }
  const FileDescriptor file(::open(name->c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    return std::nullopt;
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || S_ISDIR(status.st_mode)) {
    return std::nullopt;
  }
  try {
    return ReadOpenFile(file.get(), status);
  } catch (const std::bad_alloc&) {  // larger than the memory there is
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
}

FrontDoorOutcome RunFrontDoorOnBytes(ByteBuffer input, Text& strFileName,
                                     std::int16_t intConversionMode, std::int16_t intOption) {
  clsConvert convert;
  ByteBuffer output{0};
  const bool booHankakuKana = intOption != 0;
  ConvertResult result;
  switch (intConversionMode) {
    case 1:
      if (!HoldsKanjiIn(input)) {
        return FromBytes(std::move(input));
      }
      result = convert.JisToSJis(output, input);
      break;
    case 2:
      result = convert.JisToEuc(output, input);
      break;
    case 4:
      result = convert.SjisToJis(output, input, booHankakuKana);
      break;
    case 5:
      // The second stage sees only what the first produced.
      result = convert.SjisToJis(output, input, booHankakuKana);
      input = Produced(output, result);
      result = convert.JisToEuc(output, input);
      break;
    case 7:
      result = convert.EucToJis(output, input, booHankakuKana);
      break;
    case 8:
      return FromText(convert.EucToSjisConvert(input));
    case 9: {
      Text record = BytesToText(input);
      convert.Base64ToSJis(output, record);
      break;
    }
    case 10: {
      Text record = BytesToText(input);
      const Text lowered = LowerCase(record);
      if (lowered.find(u"begin ") == Text::npos || lowered.find(u"end") == Text::npos) {
        return {std::move(record), std::move(input), true};
      }
      result = convert.UuencodeToSJis(output, record, strFileName);
      break;
    }
    case 11:
      if (input.empty() || input[0] != 0xFF) {
        return FromBytes(std::move(input));
      }
      return Utf16LeToSjis(input);
    default:
      return {{}, {}, true};
  }
  return FromBytes(Produced(std::move(output), result));
}

FrontDoorOutcome RunFrontDoor(Text& strFileName, std::int16_t intConversionMode,
                              std::int16_t intOption) {
  std::optional<ByteBuffer> input = ReadWholeFile(strFileName);
  if (!input) {
    return {};
  }
  return RunFrontDoorOnBytes(std::move(*input), strFileName, intConversionMode, intOption);
}

Text clsConvert::KanjiConv(Text& strFileName, std::int16_t intConversionMode,
                           std::int16_t intOption) {
  return RunFrontDoor(strFileName, intConversionMode, intOption).text;
}

}  // namespace quillora
