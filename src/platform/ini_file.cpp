// The INI reader and writer. One pass over the file finds the section and key; a write copies the
// file around the one line it changes, so comments, blank lines, odd bytes and line ends survive.
#include "platform/ini_file.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "io/atomic_file.h"
#include "text/cp932_codec.h"
#include "text/sjis_bytes.h"
#include "text/utf8.h"

namespace quillora::ini {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kDefaultLineEnd = "\r\n";  // what Windows writes

enum class Encoding { kCp932, kUtf8 };

struct Line {
  std::size_t begin = 0;        // first byte
  std::size_t content_end = 0;  // end of the text, where the line end starts
  std::size_t end = 0;          // after the line end
};

// CR LF, LF and a lone CR each end a line; none of them is ever part of a double-byte character.
Line LineAt(std::string_view data, std::size_t begin) {
  Line line{begin, begin, begin};
  const std::size_t stop = data.find_first_of("\r\n", begin);
  if (stop == std::string_view::npos) {
    line.content_end = line.end = data.size();
    return line;
  }
  line.content_end = stop;
  line.end = stop + 1;
  if (data[stop] == '\r' && line.end < data.size() && data[line.end] == '\n') {
    ++line.end;
  }
  return line;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

// An argument ends at its first NUL, as the C strings of the Win32 calls do.
std::string_view CString(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

bool IsLeadByte(char c) {
  return IsSjisLeadByte(static_cast<std::uint8_t>(c));
}

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII letters match either case. In code page 932 the trail byte of a double-byte character may
// be an ASCII letter ("ア" is 83 41) and must match exactly.
bool NamesEqual(std::string_view a, std::string_view b, Encoding encoding) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (encoding == Encoding::kCp932 && IsLeadByte(a[i])) {
      if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1])) {
        return false;
      }
      ++i;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

// Position of the first c that is a character of its own, skipping double-byte characters whose
// trail byte happens to equal c (81 5D, say, holds "]").
std::size_t FindCharacter(std::string_view text, char c, Encoding encoding) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == c) {
      return i;
    }
    if (encoding == Encoding::kCp932 && IsLeadByte(text[i])) {
      ++i;
    }
  }
  return std::string_view::npos;
}

struct Document {
  std::string bytes;     // the file, or its first kMaxReadBytes, byte-order mark included
  std::size_t body = 0;  // where the first line starts
  Encoding encoding = Encoding::kCp932;
  bool whole = true;  // false: the file is longer than what was read
};

// The file, as much as is read of it; an empty document when it does not exist, nullopt when it
// cannot be read.
std::optional<Document> Load(const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return Document{};
  }
  if (error || status.type() != std::filesystem::file_type::regular) {
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  Document document;
  // One byte more than is kept tells whether there was more.
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  document.bytes.resize(
      error ? kMaxReadBytes + 1
            : static_cast<std::size_t>(std::min<std::uintmax_t>(size, kMaxReadBytes)) + 1);
  in.read(document.bytes.data(), static_cast<std::streamsize>(document.bytes.size()));
  if (in.bad()) {
    return std::nullopt;
  }
  document.bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (document.bytes.size() > kMaxReadBytes) {
    document.bytes.resize(kMaxReadBytes);
    document.whole = false;
  }
  if (document.bytes.starts_with(kUtf8Bom)) {
    document.body = kUtf8Bom.size();
    document.encoding = Encoding::kUtf8;
  }
  return document;
}

// Code page 932 bytes as the document's own encoding, and back.
std::string ToDocument(std::string_view cp932, Encoding encoding) {
  if (encoding == Encoding::kCp932) {
    return std::string(cp932);
  }
  return Utf8FromText(
      BytesToText({reinterpret_cast<const std::uint8_t*>(cp932.data()), cp932.size()}));
}

std::string FromDocument(std::string_view text, Encoding encoding) {
  if (encoding == Encoding::kCp932) {
    return std::string(text);
  }
  const ByteBuffer bytes = TextToBytes(TextFromUtf8Lossy(text));
  return {bytes.begin(), bytes.end()};
}

// What one pass over the document finds for a section and key.
struct Match {
  bool section_found = false;
  bool key_found = false;
  Line key_line;
  std::string_view key_name;  // as the file spells it
  std::string_view value;     // trimmed
  Line section_end;           // the section's last line that is not blank: new keys go after it
  Line last_line;
  bool has_lines = false;
  std::string_view first_line_end;
};

Match Find(const Document& document, std::string_view section, std::string_view key) {
  const std::string_view data = document.bytes;
  Match match;
  bool in_section = false;
  for (std::size_t pos = document.body; pos < data.size();) {
    const Line line = LineAt(data, pos);
    pos = line.end;
    match.last_line = line;
    match.has_lines = true;
    if (match.first_line_end.empty()) {
      match.first_line_end = data.substr(line.content_end, line.end - line.content_end);
    }
    const std::string_view text = Trim(data.substr(line.begin, line.content_end - line.begin));
    if (text.starts_with('[')) {
      if (in_section) {
        break;  // only the first section of that name counts
      }
      const std::string_view name = text.substr(1, FindCharacter(text, ']', document.encoding) - 1);
      if (NamesEqual(Trim(name), section, document.encoding)) {
        match.section_found = in_section = true;
        match.section_end = line;
      }
      continue;
    }
    if (!in_section || text.empty()) {
      continue;
    }
    match.section_end = line;
    const std::size_t equals = text.find('=');
    if (text.starts_with(';') || equals == std::string_view::npos) {
      continue;
    }
    const std::string_view name = Trim(text.substr(0, equals));
    if (NamesEqual(name, key, document.encoding)) {
      match.key_found = true;
      match.key_line = line;
      match.key_name = name;
      match.value = Trim(text.substr(equals + 1));
      break;
    }
  }
  return match;
}

std::uint32_t CopyOut(std::string_view text, char* buffer, std::uint32_t size) {
  if (buffer == nullptr || size == 0) {
    return 0;
  }
  const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<std::uint32_t>(count);
}

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Atomically, and through a symbolic link to its target: renaming over the link itself would turn
// a linked settings file into a plain one.
bool Replace(const std::filesystem::path& file, std::string_view bytes) {
  std::error_code error;
  std::filesystem::path target = file;
  if (std::filesystem::is_symlink(file, error)) {
    std::filesystem::path resolved = std::filesystem::weakly_canonical(file, error);
    if (!error) {
      target = std::move(resolved);
    }
  }
  const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                           bytes.size());
  return WriteFileAtomically(target, data).empty();
}

bool HasLineEnd(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

bool IsTooLargeToReadWhole(const std::filesystem::path& file) noexcept {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  return !error && size > kMaxReadBytes;
}

std::uint32_t GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                       std::string_view default_value, char* buffer,
                                       std::uint32_t size,
                                       const std::filesystem::path& file) noexcept {
  try {
    const std::string_view fallback = CString(default_value);
    const std::optional<Document> document = Load(file);
    if (!document) {
      return CopyOut(fallback, buffer, size);
    }
    const std::string wanted_section = ToDocument(Trim(CString(section)), document->encoding);
    const std::string wanted_key = ToDocument(Trim(CString(key)), document->encoding);
    const Match match = Find(*document, wanted_section, wanted_key);
    if (!match.key_found) {
      return CopyOut(fallback, buffer, size);
    }
    return CopyOut(FromDocument(StripQuotes(match.value), document->encoding), buffer, size);
  } catch (...) {
    return CopyOut({}, buffer, size);
  }
}

bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::string_view value,
                                const std::filesystem::path& file) noexcept {
  try {
    const std::string_view new_section = Trim(CString(section));
    const std::string_view new_key = Trim(CString(key));
    const std::string_view new_value = CString(value);
    // Anything else would write a line that reads back differently.
    if (new_key.empty() || new_key.find('=') != std::string_view::npos ||
        new_key.starts_with('[') || new_key.starts_with(';') ||
        FindCharacter(new_section, ']', Encoding::kCp932) != std::string_view::npos ||
        HasLineEnd(new_section) || HasLineEnd(new_key) || HasLineEnd(new_value)) {
      return false;
    }
    std::optional<Document> document = Load(file);
    if (!document || !document->whole) {
      return false;
    }
    const std::string wanted_section = ToDocument(new_section, document->encoding);
    const std::string wanted_key = ToDocument(new_key, document->encoding);
    const std::string wanted_value = ToDocument(new_value, document->encoding);
    const Match match = Find(*document, wanted_section, wanted_key);
    const std::string_view data = document->bytes;

    if (match.key_found && match.value == wanted_value) {
      return true;
    }
    std::string out;
    out.reserve(data.size() + wanted_section.size() + wanted_key.size() + wanted_value.size() + 8);
    if (match.key_found) {
      out.append(data.substr(0, match.key_line.begin));
      out.append(match.key_name).append("=").append(wanted_value);
      out.append(data.substr(match.key_line.content_end));
    } else {
      const Line after = match.section_found ? match.section_end : match.last_line;
      std::string_view line_end = data.substr(after.content_end, after.end - after.content_end);
      if (line_end.empty()) {
        line_end = match.first_line_end.empty() ? kDefaultLineEnd : match.first_line_end;
      }
      const std::size_t split = match.has_lines ? after.end : data.size();
      out.append(data.substr(0, split));
      if (match.has_lines && after.end == after.content_end) {
        out.append(line_end);  // the last line had none
      }
      if (!match.section_found) {
        out.append("[").append(wanted_section).append("]").append(line_end);
      }
      out.append(wanted_key).append("=").append(wanted_value).append(line_end);
      out.append(data.substr(split));
    }
    return Replace(file, out);
  } catch (...) {
    return false;
  }
}

}  // namespace quillora::ini
