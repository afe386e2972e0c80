// The conversion engine: reads a file whole and converts between JIS, EUC-JP and Shift_JIS,
// decodes MIME Base64 and uuencode, widens half-width katakana and converts UTF-16 text.
#pragma once

#include <cstdint>

#include "convert/convert_result.h"
#include "text/byte_buffer.h"

namespace quillora {

// Stateless: every operation works on its arguments only. Buffers are passed by reference and may
// be changed as documented per operation (the guard byte, widened input, the uuencoded name).
class clsConvert {
 public:
  // MIME Base64 mail text to code page 932 bytes; consumes strRecord up to the body.
  void Base64ToSJis(ByteBuffer& bytConvertStrings, Text& strRecord);
  // First uuencoded block of strRecord; strFileName receives the lower-cased name of its begin
  // line. On failure bytConvertStrings stays as handed over.
  ConvertResult UuencodeToSJis(ByteBuffer& bytConvertStrings, Text& strRecord, Text& strFileName);
  // EUC-JP half-width katakana (8E xx) to their full-width EUC-JP codes. Uses the guard byte.
  ConvertResult EUCHankakuKanaConvert(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings);
  // EUC-JP to JIS; without booHankakuKana the input is first replaced by its widened bytes.
  ConvertResult EucToJis(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings,
                         bool booHankakuKana);
  // EUC-JP to Shift_JIS text. Never fails and does not change its input.
  Text EucToSjisConvert(ByteBuffer& bytConvertStrings);
  // Shift_JIS half-width katakana to full-width. Uses the guard byte; never fails.
  ConvertResult HankakuKanaToZenkakuKana(ByteBuffer& bytZenkakuKana, ByteBuffer& bytHankakuKana);
  // JIS to EUC-JP. Uses the guard byte.
  ConvertResult JisToEuc(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings);
  // JIS to Shift_JIS. Uses the guard byte.
  ConvertResult JisToSJis(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings);
  // Reads strFileName whole and converts it by intConversionMode; mode 10 may replace strFileName.
  Text KanjiConv(Text& strFileName, std::int16_t intConversionMode, std::int16_t intOption);
  // Shift_JIS to EUC-JP; on return both buffers hold the result. Never fails.
  ConvertResult SjisToEucConvert(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings);
  // Shift_JIS to JIS; without booHankakuKana the input is first replaced by its widened bytes.
  ConvertResult SjisToJis(ByteBuffer& bytConverted, ByteBuffer& bytConvertStrings,
                          bool booHankakuKana);
};

}  // namespace quillora
