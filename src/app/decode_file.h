// Decoding by decode type: the step from the Decode menu and the batch run to the engine and the
// whole-mail reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mail/mail_reader.h"
#include "text/byte_buffer.h"

namespace quillora {

// A repair the whole-mail reader made, with the bytes its text became in the result.
struct Repair {
  mail::RepairEvent event;
  std::size_t result_offset = 0;
  std::size_t result_length = 0;
};

// What a decoding found besides its text.
struct DecodeNotes {
  // A converter stopped early at this input byte; the result holds what came before.
  std::optional<std::size_t> stopped_at;
  // The whole mail: the charsets and transfer encodings it met, and how many repairs it made.
  std::vector<std::string> charsets;
  std::vector<std::string> transfer_encodings;
  std::vector<Repair> repairs;
  std::size_t repair_count = 0;  // more than repairs.size() where one stands for many
  std::vector<mail::Attachment> attachments;
  // When the decoding changed nothing or gave mostly marks of undecodable bytes: the decode type
  // the content looks like, and why.
  std::optional<int> looks_like;
  std::string evidence;
};

// The decode type written as the Decode menu writes its index: exactly "0" to "5"; any other
// text ("00", "6", " 1", "") is none.
[[nodiscard]] std::optional<int> DecodeTypeOf(const Text& strDecodeType);

// The text of the file decoded by decode type, as the code page 932 bytes that a saved result
// holds (for the whole mail, what code page 932 cannot hold is "?"); empty when nothing was
// converted or the file cannot be read. A uuencode decoding replaces strFileName with the begin
// line's name.
[[nodiscard]] ByteBuffer DecodeFile(Text& strFileName, const Text& strDecodeType,
                                    DecodeNotes* notes = nullptr);

// The same on bytes already read; strFileName names them.
[[nodiscard]] ByteBuffer DecodeBytes(ByteBuffer input, Text& strFileName, int decode_type,
                                     DecodeNotes* notes = nullptr);

}  // namespace quillora
