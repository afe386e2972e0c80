// UTF-8 forms of text, strict and lossy.
#include "text/utf8.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>

namespace quillora {
namespace {

constexpr char32_t kReplacement = U'\uFFFD';

// Appends the UTF-8 form of text; a lone surrogate is replaced, or stops the work (false) when
// no replacement is wanted.
// What a lone surrogate becomes: U+FFFD, or the end of the work (false); either way unless it
// escapes a byte of a file name and those are to be restored.
struct LoneSurrogate {
  bool refuse = false;
  bool unescape = false;
};

// A lone surrogate that stands for a byte of a file name.
constexpr bool IsEscapedByte(char32_t c) noexcept {
  return c >= 0xDC80 && c <= 0xDCFF;
}

template <typename Bytes>
bool AppendUtf8(std::u16string_view text, Bytes& out, LoneSurrogate lone) {
  using Byte = typename Bytes::value_type;
  out.reserve(out.size() + text.size() * 3);
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t c = text[i++];
    if (U16_IS_SURROGATE(c)) {
      if (U16_IS_SURROGATE_LEAD(c) && i < text.size() && U16_IS_TRAIL(text[i])) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00u);
      } else if (lone.unescape && IsEscapedByte(c)) {
        out.push_back(static_cast<Byte>(c & 0xFF));
        continue;
      } else if (lone.refuse) {
        return false;
      } else {
        c = kReplacement;
      }
    }
    if (c < 0x80) {
      out.push_back(static_cast<Byte>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<Byte>(0xC0 | (c >> 6)));
      out.push_back(static_cast<Byte>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<Byte>(0xE0 | (c >> 12)));
      out.push_back(static_cast<Byte>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<Byte>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<Byte>(0xF0 | (c >> 18)));
      out.push_back(static_cast<Byte>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<Byte>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<Byte>(0x80 | (c & 0x3F)));
    }
  }
  return true;
}

}  // namespace

void AppendTextAsUtf8(std::u16string_view text, ByteBuffer& out) {
  AppendUtf8(text, out, LoneSurrogate{});
}

std::optional<std::string> FileNameToUtf8(std::u16string_view name) {
  std::string utf8;
  if (!AppendUtf8(name, utf8, LoneSurrogate{.refuse = true, .unescape = true})) {
    return std::nullopt;
  }
  return utf8;
}

std::optional<Text> TextFromUtf8(std::string_view utf8) {
  if (utf8.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  const auto length = static_cast<std::int32_t>(utf8.size());
  std::int32_t units = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(nullptr, 0, &units, utf8.data(), length, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) {
    return std::nullopt;
  }
  Text text(static_cast<std::size_t>(units), u'\0');
  status = U_ZERO_ERROR;
  u_strFromUTF8(text.data(), units, nullptr, utf8.data(), length, &status);
  if (U_FAILURE(status)) {
    return std::nullopt;
  }
  return text;
}

std::string Utf8FromText(std::u16string_view text) {
  ByteBuffer bytes;
  AppendTextAsUtf8(text, bytes);
  return {bytes.begin(), bytes.end()};
}

Text TextFromUtf8Lossy(std::string_view bytes) {
  // ICU counts in 32 bits; nothing this program converts comes near that.
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return Text(1, u'\uFFFD');
  }
  const auto length = static_cast<std::int32_t>(bytes.size());
  std::int32_t units = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(nullptr, 0, &units, bytes.data(), length, 0xFFFD, nullptr, &status);
  Text text(static_cast<std::size_t>(units), u'\0');
  status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(text.data(), units, nullptr, bytes.data(), length, 0xFFFD, nullptr, &status);
  return U_FAILURE(status) ? Text() : text;
}

Text TextFromFileName(std::string_view bytes) {
  Text text;
  text.reserve(bytes.size());
  const auto* const data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto length = static_cast<std::int64_t>(bytes.size());
  std::int64_t i = 0;
  while (i < length) {
    const std::int64_t start = i;
    UChar32 c = 0;
    U8_NEXT(data, i, length, c);
    if (c < 0) {
      text += static_cast<char16_t>(0xDC00 | data[start]);
      i = start + 1;
    } else {
      char16_t units[2];
      std::int32_t n = 0;
      U16_APPEND_UNSAFE(units, n, c);
      text.append(units, static_cast<std::size_t>(n));
    }
  }
  return text;
}

std::filesystem::path NativePath(std::u16string_view path) {
#ifdef _WIN32
  return std::filesystem::path(std::wstring(path.begin(), path.end()));
#else
  std::string bytes;
  AppendUtf8(path, bytes, LoneSurrogate{.unescape = true});
  return std::filesystem::path(std::move(bytes));
#endif
}

Text TextFromNativePath(const std::filesystem::path& path) {
#ifdef _WIN32
  return Text(path.native().begin(), path.native().end());
#else
  return TextFromFileName(path.native());
#endif
}

}  // namespace quillora
