// Code page 932 (Shift_JIS with the Windows extensions) text codec, table-driven.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "text/byte_buffer.h"

namespace quillora {

// Decodes bytes as code page 932. Never fails: bytes without a mapping decode as U+30FB.
[[nodiscard]] Text BytesToText(std::span<const std::uint8_t> bytes);

// Appends the decoding of bytes to text.
void AppendBytesAsText(std::span<const std::uint8_t> bytes, Text& text);

// Encodes text as code page 932. Never fails: a character without a mapping encodes as "?".
[[nodiscard]] ByteBuffer TextToBytes(std::u16string_view text);

// Appends the encoding of text to out (no reallocation per character).
void AppendTextAsBytes(std::u16string_view text, ByteBuffer& out);

// TextToBytes of the UTF-16 little-endian units that bytes hold (an odd final byte as U+FFFD),
// without the text: writes at most bytes.size() + 1 bytes to out and returns how many.
std::size_t EncodeUtf16Le(std::span<const std::uint8_t> bytes, std::uint8_t* out);

// How far ReencodeBytes got.
struct ReencodeProgress {
  std::size_t read = 0;     // input bytes consumed
  std::size_t written = 0;  // output bytes written
};

// TextToBytes(BytesToText(bytes)) without the text in between: each character decoded from bytes
// is encoded again, so unassigned codes, duplicates and lone lead bytes come out as the text
// round trip makes them. Writes at most 2 * bytes.size() bytes to out. Unless `last`, a lead byte
// at the very end is left unread: the byte after it, in the next piece, decides what it is.
ReencodeProgress ReencodeBytes(std::span<const std::uint8_t> bytes, std::uint8_t* out, bool last);

// The ways ReencodeBytes can run; all give the same bytes. The vector kernels copy runs that
// re-encode to themselves 16 (SSE2) or 32 (AVX2) bytes at a time; ReencodeBytes runs the widest
// this processor has. A kernel it lacks runs as `plain`.
enum class ReencodeKernel { plain, sse2, avx2 };
[[nodiscard]] bool HasReencodeKernel(ReencodeKernel kernel) noexcept;
ReencodeProgress ReencodeBytesWith(ReencodeKernel kernel, std::span<const std::uint8_t> bytes,
                                   std::uint8_t* out, bool last);
// The widest kernel this processor has.
[[nodiscard]] ReencodeKernel BestReencodeKernel() noexcept;

// What ReencodeBytes makes of each JIS X 0208 code (row and cell 0-93, at row * 94 + cell), for
// converters that make code page 932 output straight from their own pairs, given the Shift_JIS
// pair (lead | trail << 8) such a converter makes of a code: the first byte, and the second above
// it (0 when there is none; no trail byte is 0); 0 where the pair is not one character. 17 KB,
// which stays in the fastest cache.
using Jis0208Steps = std::array<std::uint16_t, std::size_t{94} * 94>;
[[nodiscard]] std::unique_ptr<Jis0208Steps> ComposeJis0208Steps(
    const std::function<std::uint16_t(unsigned row, unsigned cell)>& sjis_pair);

// Appends ReencodeBytes of all of bytes to out.
void AppendReencodedBytes(std::span<const std::uint8_t> bytes, ByteBuffer& out);

// The number of bytes (1 or 2) of the first character BytesToText reads from non-empty bytes. A
// lead byte at the very end counts as one unless more bytes may follow (`last` false), when the
// answer is 0: the next byte decides.
[[nodiscard]] std::size_t FirstCharacterLength(std::span<const std::uint8_t> bytes, bool last);

// The full-width form of one half-width character (katakana, ASCII 0x21-0x7E, blank); every other
// character comes back unchanged.
[[nodiscard]] char16_t HalfwidthToFullwidth(char16_t c) noexcept;

}  // namespace quillora
