// Conversions that write KanjiConv's result straight as code page 932 bytes, for callers that
// want the bytes rather than the text (quillora-convert, the batch run): the same bytes that
// TextToBytes makes of the text, without the text.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "text/byte_buffer.h"
#include "convert/convert_result.h"
#include "convert/stream_output.h"
#include "text/sjis_bytes.h"

namespace quillora {

// TextToBytes(BytesToText(...)) of what clsConvert().JisToSJis makes of jis (the bytes it
// produced, should it fail), without its output buffer. jis gets the guard byte, as there.
ConvertError JisToSjisAsCp932(ByteBuffer& jis, StreamOutput& sink);

// TextToBytes(clsConvert().EucToSjisConvert(euc)).
void EucToSjisAsCp932(std::span<const std::uint8_t> euc, StreamOutput& sink);

// clsConvert::Base64ToSJis and UuencodeToSJis on a text all of whose characters are ASCII, given
// as its bytes: the same output, without the text (strRecord's consumption aside); Base64's
// straight to a code page 932 sink, which is what its output is.
void Base64AsciiToCp932(std::string_view record, StreamOutput& sink);
ConvertResult UuencodeAsciiToSJis(ByteBuffer& bytConvertStrings, std::string_view record,
                                  Text& strFileName);

}  // namespace quillora
