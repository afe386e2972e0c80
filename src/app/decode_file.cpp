// Decoding by decode type.
#include "app/decode_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>
#include <string_view>
#include <utility>

#include "convert/decode_types.h"
#include "convert/front_door.h"
#include "io/file_reading.h"
#include "io/large_buffer.h"
#include "mail/detection.h"
#include "mail/mail_reader.h"
#include "text/cp932_codec.h"
#include "text/sjis_bytes.h"
#include "text/utf8.h"

namespace quillora {
namespace {

// The text as code page 932, encoded a stretch at a time so that each repair's text is found in
// the bytes; the stretches give the same bytes as the whole text would.
ByteBuffer EncodePlacingRepairs(std::u16string_view text, std::vector<Repair>& repairs) {
  std::vector<std::size_t> ends;
  ends.reserve(2 * repairs.size() + 1);
  for (const Repair& repair : repairs) {
    ends.push_back(repair.event.text_offset);
    ends.push_back(repair.event.text_offset + repair.event.text_length);
  }
  ends.push_back(text.size());
  std::sort(ends.begin(), ends.end());
  ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
  std::vector<std::size_t> at_byte(ends.size());
  ByteBuffer cp932;
  ReserveLarge(cp932, 2 * text.size());
  std::size_t done = 0;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    // A surrogate pair encodes as one "?", so no stretch may end between its halves.
    std::size_t end = std::min(ends[i], text.size());
    if (end > done && end < text.size() && (text[end] & 0xFC00) == 0xDC00 &&
        (text[end - 1] & 0xFC00) == 0xD800) {
      --end;
    }
    if (end > done) {
      AppendTextAsBytes(text.substr(done, end - done), cp932);
      done = end;
    }
    at_byte[i] = cp932.size();
  }
  const auto byte_at = [&](std::size_t text_offset) {
    const auto end = std::lower_bound(ends.begin(), ends.end(), text_offset);
    return at_byte[static_cast<std::size_t>(end - ends.begin())];
  };
  for (Repair& repair : repairs) {
    repair.result_offset = byte_at(repair.event.text_offset);
    repair.result_length =
        byte_at(repair.event.text_offset + repair.event.text_length) - repair.result_offset;
  }
  return cp932;
}

ByteBuffer ReadWholeMail(const ByteBuffer& input, DecodeNotes* notes) {
  if (notes == nullptr) {
    // Only the bytes are wanted (the batch run): read straight to them, attachments only counted.
    return mail::ReadMail(input, {mail::MailProduct::cp932, false, {}}).cp932;
  }
  mail::MailReading reading = mail::ReadMail(input);
  notes->charsets = std::move(reading.charsets);
  notes->transfer_encodings = std::move(reading.transfer_encodings);
  notes->repair_count = mail::RepairCount(reading.events);
  notes->attachments = std::move(reading.attachments);
  notes->repairs.reserve(reading.events.size());
  for (mail::RepairEvent& event : reading.events) {
    notes->repairs.push_back({std::move(event)});
  }
  return EncodePlacingRepairs(reading.text, notes->repairs);
}

// Whether decoded is the file re-encoded as it was. The file is read again a piece at a time:
// keeping a copy of a large input through the decoding for this question would double its memory.
bool IsFileUnchanged(const std::string& name, std::span<const std::uint8_t> decoded) {
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  std::ifstream file(std::filesystem::path(name), std::ios::binary);
  std::vector<std::uint8_t> piece(kPiece + 1);
  std::vector<std::uint8_t> reencoded(2 * piece.size());
  std::size_t held = 0;  // a lead byte left from the piece before
  std::size_t compared = 0;
  while (file) {
    file.read(reinterpret_cast<char*>(piece.data() + held), static_cast<std::streamsize>(kPiece));
    const std::size_t filled = held + static_cast<std::size_t>(file.gcount());
    const bool last = !file;
    const ReencodeProgress progress =
        ReencodeBytes(std::span(piece).first(filled), reencoded.data(), last);
    if (progress.written > decoded.size() - compared ||
        !std::equal(reencoded.begin(),
                    reencoded.begin() + static_cast<std::ptrdiff_t>(progress.written),
                    decoded.begin() + static_cast<std::ptrdiff_t>(compared))) {
      return false;
    }
    compared += progress.written;
    held = filled - progress.read;
    std::copy(piece.begin() + static_cast<std::ptrdiff_t>(progress.read),
              piece.begin() + static_cast<std::ptrdiff_t>(filled), piece.begin());
  }
  return !file.bad() && compared == decoded.size();
}

// A decoding that did not fit: the text came back as it was, or at least a quarter of its
// characters are the mark of an undecodable byte (81 45, ・).
bool DidNotFit(const std::string& name, const ByteBuffer& decoded) {
  std::size_t characters = 0;
  std::size_t marks = 0;
  for (std::size_t k = 0; k < decoded.size(); ++characters) {
    const bool pair = IsSjisLeadByte(decoded[k]) && k + 1 < decoded.size();
    marks += pair && decoded[k] == 0x81 && decoded[k + 1] == 0x45 ? 1U : 0U;
    k += pair ? 2 : 1;
  }
  if (characters > 0 && marks * 4 >= characters) {
    return true;
  }
  return !decoded.empty() && IsFileUnchanged(name, decoded);
}

// The decode type the input looks like, when it is another than the one that did not fit.
void SuggestAnother(const ByteBuffer& input, int decode_type, DecodeNotes& notes) {
  const mail::Detection detection = mail::Detect(input);
  for (int index = 0; index < kDecodeTypeCount; ++index) {
    if (index != decode_type && DecodeTypeAt(index)->command_name == detection.decode_type) {
      notes.looks_like = index;
      notes.evidence = detection.evidence;
    }
  }
}

}  // namespace

std::optional<int> DecodeTypeOf(const Text& strDecodeType) {
  if (strDecodeType.size() != 1 || strDecodeType[0] < u'0' ||
      strDecodeType[0] >= u'0' + kDecodeTypeCount) {
    return std::nullopt;
  }
  return strDecodeType[0] - u'0';
}

ByteBuffer DecodeBytes(ByteBuffer input, Text& strFileName, int decode_type, DecodeNotes* notes) {
  const DecodeType type = *DecodeTypeAt(decode_type);
  if (type.whole_mail) {
    return ReadWholeMail(input, notes);
  }
  ByteBuffer decoded;
  // No decoding makes more text than it reads, near enough: one allocation instead of a string of
  // copies as the result grows.
  ReserveLarge(decoded, input.size() + 4096);
  StreamOutput out(StreamOutput::AppendTo(decoded));
  const Conversion conversion =
      ConvertBytes(std::move(input), strFileName, type.mode, 0, Product::cp932_text, out);
  out.Finish();
  if (notes != nullptr) {
    notes->stopped_at = conversion.stopped_at;
  }
  return decoded;
}

ByteBuffer DecodeFile(Text& strFileName, const Text& strDecodeType, DecodeNotes* notes) {
  const std::optional<int> decode_type = DecodeTypeOf(strDecodeType);
  if (!decode_type) {
    return {};
  }
  const std::optional<std::string> name = FileNameToUtf8(strFileName);
  std::optional<ByteBuffer> input = name ? ReadWholeFile(*name) : std::nullopt;
  if (!input) {
    return {};
  }
  ByteBuffer decoded = DecodeBytes(std::move(*input), strFileName, *decode_type, notes);
  // The hint: a person decoding a file picks its type by eye, and may pick wrong.
  if (notes != nullptr && DidNotFit(*name, decoded)) {
    if (const std::optional<ByteBuffer> again = ReadWholeFile(*name)) {
      SuggestAnother(*again, *decode_type, *notes);
    }
  }
  return decoded;
}

}  // namespace quillora
