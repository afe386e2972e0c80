#include "report_json.h"

#include <cstdio>

#include "text/utf8.h"

namespace quillora::convert_cli {
namespace {

// A JSON string of UTF-8 text (a lone surrogate has become U+FFFD on the way).
std::string Quoted(const std::string& utf8) {
  std::string quoted = "\"";
  for (const char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (u < 0x20 || u == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", u);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string Quoted(std::u16string_view text) {
  return Quoted(Utf8FromText(text));
}

std::string Hex(const ByteBuffer& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0xF];
  }
  return "\"" + hex + "\"";
}

std::string List(const std::vector<std::string>& names) {
  std::string list = "[";
  for (std::size_t i = 0; i < names.size(); ++i) {
    list += (i == 0 ? "" : ", ") + Quoted(names[i]);
  }
  return list + "]";
}

}  // namespace

std::string ReportJson(const mail::MailReading& reading,
                       const std::vector<const mail::RepairEvent*>& events,
                       const ReportOptions& options) {
  std::string json = "{\n  \"schema\": \"quillora-mail-report/1\",\n";
  json += "  \"input\": " + Quoted(options.input) + ",\n";
  json += "  \"output_encoding\": " + Quoted(options.output_encoding) + ",\n";
  json += "  \"charsets\": " + List(reading.charsets) + ",\n";
  json += "  \"transfer_encodings\": " + List(reading.transfer_encodings) + ",\n";
  json += "  \"attachments\": [";
  for (std::size_t i = 0; i < reading.attachments.size(); ++i) {
    const mail::Attachment& attachment = reading.attachments[i];
    const bool saved = i < options.saved_as.size() && !options.saved_as[i].empty();
    json += std::string(i == 0 ? "\n" : ",\n") + "    {\"name\": " + Quoted(attachment.name) +
            ", \"type\": " + Quoted(attachment.type) + ", \"part\": " + Quoted(attachment.part) +
            ", \"size\": " + std::to_string(attachment.size) + ", \"saved_as\": " +
            (saved ? Quoted(options.saved_as[i].string()) : std::string("null")) + "}";
  }
  json += reading.attachments.empty() ? "],\n" : "\n  ],\n";
  json += "  \"events\": [";
  for (std::size_t i = 0; i < events.size(); ++i) {
    const mail::RepairEvent& event = *events[i];
    json += std::string(i == 0 ? "\n" : ",\n") + "    {\"kind\": \"" +
            std::string(mail::RepairKindName(event.kind)) +
            "\", \"input_offset\": " + std::to_string(event.input_offset) +
            ", \"input_length\": " + std::to_string(event.input_length) +
            ", \"part\": " + Quoted(event.part) + ", \"bytes\": " + Hex(event.bytes) +
            ", \"produced\": " + Quoted(event.produced) +
            ", \"text_offset\": " + std::to_string(event.text_offset) +
            ", \"text_length\": " + std::to_string(event.text_length) +
            ", \"detail\": " + Quoted(event.detail) + ", \"more\": " + std::to_string(event.more) +
            "}";
  }
  json += events.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return json;
}

}  // namespace quillora::convert_cli
