// The converters' entry points beyond clsConvert's own, for the front door: code page 932 text
// made straight from the converters' bytes (the bytes TextToBytes makes of the text, without the
// text), and the whole-file steps of modes 10 and 11.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "convert/convert_result.h"
#include "convert/stream_output.h"
#include "text/byte_buffer.h"
#include "text/cp932_codec.h"
#include "text/sjis_bytes.h"

namespace quillora {

// TextToBytes(BytesToText(...)) of what clsConvert().JisToSJis makes of jis (the bytes it
// produced, should it fail), without its output buffer. jis gets the guard byte, as there. The
// result says whether and where it stopped; its count is not kept.
ConvertResult JisToSjisAsCp932(ByteBuffer& jis, StreamOutput& sink);
// The same on jis followed by a zero byte that it does not count (jis.data()[jis.size()] == 0).
ConvertResult JisToSjisAsCp932(std::span<const std::uint8_t> jis, StreamOutput& sink);
// The same with the vector kernel given (each gives the same bytes).
ConvertResult JisToSjisAsCp932With(ReencodeKernel kernel, std::span<const std::uint8_t> jis,
                                   StreamOutput& sink);

// TextToBytes(clsConvert().EucToSjisConvert(euc)).
void EucToSjisAsCp932(std::span<const std::uint8_t> euc, StreamOutput& sink);
// The same with the vector kernel given (each gives the same bytes).
void EucToSjisAsCp932With(ReencodeKernel kernel, std::span<const std::uint8_t> euc,
                          StreamOutput& sink);

// clsConvert::Base64ToSJis on a text all of whose characters are ASCII, given as its bytes: the
// same output, without the text, straight to the output, as its output is code page 932 text.
void Base64AsciiToCp932(std::span<const std::uint8_t> mail, StreamOutput& sink);

// The Base64 decoding step of Base64AsciiToCp932 on a body alone: every symbol in order, four at
// a time, across line ends; a final group of fewer than four dropped. Writes at most
// body.size() / 4 * 3 bytes to `to`, which may be body.data(), and returns how many.
std::size_t DecodeBase64Body(std::string_view body, std::uint8_t* to);

// Conversion mode 10 on a file's bytes: UuencodeToSJis of its text into bytConvertStrings when
// the lowered text holds "begin " and "end"; nullopt, the file untouched, when it does not. The
// text is read from the bytes themselves when they are ASCII, and is then decoded in place: the
// file's bytes are overwritten, and on success become bytConvertStrings.
[[nodiscard]] std::optional<ConvertResult> UuencodedFile(ByteBuffer& file,
                                                         ByteBuffer& bytConvertStrings,
                                                         Text& strFileName);

// UuencodedFile on a file whose bytes are all ASCII, handed on as the front door hands on its
// result: the decoded bytes re-encoded as code page 932 text, or as they are when !reencode. They
// go to the sink as they are decoded, from a file that stays the caller's; a block that fails
// withdraws them, so the sink must be able to (CanWithdraw). nullopt, nothing handed on, as there.
[[nodiscard]] std::optional<ConvertResult> UuencodedAsciiToSink(std::span<const std::uint8_t> file,
                                                                StreamOutput& sink, bool reencode);

// Conversion mode 11 on a file that starts with 0xFF: its UTF-16 little-endian units, an odd
// final byte as U+FFFD, as code page 932 text less the first character (the byte-order mark's
// place).
void Utf16LeToCp932(std::span<const std::uint8_t> input, StreamOutput& sink);

}  // namespace quillora
