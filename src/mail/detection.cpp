// The shape of the input is judged first (a header, a uuencode begin line, lines of Base64), then
// the charset of the text, on the text inside where there is an encoding.
#include "mail/detection.h"

#include <algorithm>

#include "charset_sniff.h"
#include "mail/mail_reader.h"
#include "mail_shape.h"
#include "transfer_decoding.h"
#include "uuencode_blocks.h"

namespace quillora::mail {
namespace {

bool IsBase64Symbol(std::uint8_t b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '+' ||
         b == '/' || b == '=';
}

// Base64 as a file holds it: nothing but symbols and line ends, in lines of at least 16
// symbols except the last, and whole groups of four.
bool IsBase64Text(std::span<const std::uint8_t> input, std::size_t& symbols) {
  symbols = 0;
  std::size_t line = 0;
  std::size_t short_lines = 0;
  for (const std::uint8_t b : input) {
    if (b == '\n' || b == '\r') {
      if (line > 0 && line < 16) {
        ++short_lines;
      }
      line = 0;
    } else if (IsBase64Symbol(b)) {
      ++symbols;
      ++line;
    } else {
      return false;
    }
  }
  if (line > 0 && line < 16) {
    ++short_lines;
  }
  return symbols >= 8 && symbols % 4 == 0 && short_lines <= 1;
}

std::string TypeForCharset(Charset charset) {
  switch (charset) {
    case Charset::iso2022jp:
      return "jis";
    case Charset::euc_jp:
      return "euc";
    case Charset::utf16le:
    case Charset::utf16be:
      return "utf16";
    default:
      return "none";
  }
}

Detection MailDetection(std::span<const std::uint8_t> input) {
  const MailReading reading = ReadMail(input);
  Detection detection{InputKind::mail, Charset::us_ascii, "mail", ""};
  for (const std::string& name : reading.charsets) {
    if (name != "US-ASCII") {
      detection.charset = CharsetFromLabel(name).value_or(Charset::us_ascii);
      break;
    }
  }
  detection.evidence =
      StartsWithMboxLine(input) ? "mbox \"From \" line, then a header" : "a header";
  std::string charsets;
  for (const std::string& name : reading.charsets) {
    charsets += (charsets.empty() ? "" : ", ") + name;
  }
  std::string encodings;
  for (const std::string& name : reading.transfer_encodings) {
    encodings += (encodings.empty() ? "" : ", ") + name;
  }
  if (!charsets.empty()) {
    detection.evidence += "; text in " + charsets;
  }
  if (!encodings.empty()) {
    detection.evidence += "; transfer encodings " + encodings;
  }
  detection.evidence += "; " + std::to_string(reading.attachments.size()) + " attachment" +
                        (reading.attachments.size() == 1 ? "" : "s") + ", " +
                        std::to_string(RepairCount(reading.events)) + " repair" +
                        (RepairCount(reading.events) == 1 ? "" : "s");
  return detection;
}

}  // namespace

Detection Detect(std::span<const std::uint8_t> input) {
  const Sniffed sniffed = SniffCharset(input);
  const bool utf16 = sniffed.charset == Charset::utf16le || sniffed.charset == Charset::utf16be;
  if (!utf16 && LooksLikeMail(input)) {
    return MailDetection(input);
  }
  if (!utf16) {
    const auto blocks = FindUuencodeBlocks(input);
    if (!blocks.empty() && blocks.front().end > blocks.front().data_begin) {
      const UuencodeBlock& block = blocks.front();
      const TransferDecoded data =
          DecodeTransfer(TransferEncoding::uuencode,
                         input.subspan(block.data_begin, block.end - block.data_begin));
      const Sniffed inside = SniffCharset(data.Bytes());
      return {InputKind::uuencode, inside.charset, "uuencode",
              "begin line at byte " + std::to_string(block.begin) + "; " +
                  std::to_string(data.Bytes().size()) + " bytes inside: " + inside.evidence};
    }
    std::size_t symbols = 0;
    if (IsBase64Text(input, symbols)) {
      const TransferDecoded data = DecodeTransfer(TransferEncoding::base64, input);
      const Sniffed inside = SniffCharset(data.Bytes());
      return {InputKind::base64, inside.charset, "base64",
              std::to_string(symbols) + " Base64 symbols in lines; " +
                  std::to_string(data.Bytes().size()) + " bytes inside: " + inside.evidence};
    }
  }
  return {InputKind::text, sniffed.charset, TypeForCharset(sniffed.charset), sniffed.evidence};
}

std::string DetectionName(const Detection& detection) {
  std::string charset(CharsetName(detection.charset));
  switch (detection.kind) {
    case InputKind::mail:
      return "mail (" + charset + ")";
    case InputKind::base64:
      return "Base64 (" + charset + ")";
    case InputKind::uuencode:
      return "uuencode (" + charset + ")";
    case InputKind::text:
      break;
  }
  return charset;
}

}  // namespace quillora::mail
