#include "mail_layout.h"

#include <algorithm>

#include "html_text.h"

namespace quillora::mail {
namespace {

Text Widened(std::string_view ascii) {
  return Text(ascii.begin(), ascii.end());
}

void AddOnce(std::vector<std::string>& names, std::string_view name) {
  if (std::find(names.begin(), names.end(), name) == names.end()) {
    names.emplace_back(name);
  }
}

}  // namespace

void MailLayout::Add(std::vector<RepairEvent>& events, std::size_t text_base,
                     const std::string& part) {
  for (RepairEvent& event : events) {
    event.text_offset += text_base;
    event.part = part;
    reading_.events.push_back(std::move(event));
  }
}

void MailLayout::CharsetSeen(std::string_view charset) {
  AddOnce(reading_.charsets, charset);
}

void MailLayout::TransferEncodingSeen(std::string_view name) {
  AddOnce(reading_.transfer_encodings, name);
}

void MailLayout::Append(std::u16string_view ascii) {
  reading_.text += ascii;
}

void MailLayout::EndLine() {
  if (!reading_.text.empty() && !reading_.text.ends_with(u"\r\n")) {
    Append(u"\r\n");
  }
}

void MailLayout::Header(std::string_view name, HeaderText value, std::size_t input_offset,
                        const std::string& part) {
  reading_.text += Widened(name);
  Append(u": ");
  for (RepairEvent& event : value.events) {
    event.input_offset += input_offset;
  }
  Add(value.events, reading_.text.size(), part);
  reading_.text += value.text;
  Append(u"\r\n");
}

void MailLayout::EndHeaders() {
  Append(u"\r\n");
}

void MailLayout::NestedMessage() {
  EndLine();
  Append(u"\r\n-------- message --------\r\n");
}

void MailLayout::Body(PartText text, const std::string& part) {
  if (text.text.empty() && text.events.empty()) {
    return;
  }
  CharsetSeen(text.charset);
  Add(text.events, reading_.text.size(), part);
  if (text.text.size() > reading_.text.size() &&
      text.text.capacity() >= reading_.text.size() + text.text.size()) {
    // A body larger than all before it takes that text into its own buffer: one buffer of the
    // body's size at a time, not two.
    text.text.insert(0, reading_.text);
    reading_.text.swap(text.text);
  } else {
    reading_.text += text.text;
  }
  EndLine();
}

void MailLayout::Html(PartText text, const std::string& part) {
  // The events' places in the HTML become places in its text.
  std::vector<std::size_t> positions;
  for (const RepairEvent& event : text.events) {
    positions.push_back(event.text_offset);
    positions.push_back(event.text_offset + event.text_length);
  }
  std::vector<std::size_t> sorted = positions;
  std::sort(sorted.begin(), sorted.end());
  std::vector<std::size_t> moved = sorted;
  text.text = HtmlToText(text.text, moved);
  auto move = [&](std::size_t at) {
    return moved[static_cast<std::size_t>(std::lower_bound(sorted.begin(), sorted.end(), at) -
                                          sorted.begin())];
  };
  for (RepairEvent& event : text.events) {
    const std::size_t begin = move(event.text_offset);
    const std::size_t end = std::max(begin, move(event.text_offset + event.text_length));
    event.text_offset = begin;
    event.text_length = end - begin;
    // A replacement inside a tag or a hidden element produced nothing that is shown.
    if (event.kind == RepairKind::replaced_invalid_byte) {
      event.produced = text.text.substr(begin, end - begin);
    }
  }
  Body(std::move(text), part);
}

void MailLayout::UuencodedText(const Text& name, PartText text, const std::string& part) {
  EndLine();
  Append(u"[uuencode] ");
  reading_.text += name;
  Append(u"\r\n");
  Body(std::move(text), part);
}

void MailLayout::AttachmentListed(HeaderText name, std::string type, std::string part,
                                  ByteBuffer data) {
  EndLine();
  Append(u"[Attachment] ");
  const std::size_t name_at = reading_.text.size();
  reading_.text += name.text;
  Add(name.events, name_at, part);
  reading_.text += Widened((name.text.empty() ? "(" : " (") + type + ", " +
                           std::to_string(data.size()) + " bytes)\r\n");
  reading_.attachments.push_back(
      {std::move(name.text), std::move(type), std::move(part), std::move(data)});
}

void MailLayout::Embedded(MailReading nested, const SourceMap& map, const std::string& part) {
  for (RepairEvent& event : nested.events) {
    const SourceMap::Span span = map.Map(event.input_offset, event.input_length);
    event.input_offset = span.offset;
    event.input_length = span.length;
    event.text_offset += reading_.text.size();
    event.part = part + "." + event.part;
    reading_.events.push_back(std::move(event));
  }
  for (Attachment& attachment : nested.attachments) {
    attachment.part = part + "." + attachment.part;
    reading_.attachments.push_back(std::move(attachment));
  }
  for (const std::string& name : nested.charsets) {
    AddOnce(reading_.charsets, name);
  }
  for (const std::string& name : nested.transfer_encodings) {
    AddOnce(reading_.transfer_encodings, name);
  }
  reading_.text += nested.text;
  EndLine();
}

void MailLayout::Truncated(SourceMap::Span where, std::span<const std::uint8_t> bytes,
                           const std::string& part) {
  RepairEvent event;
  event.kind = RepairKind::truncated_encoding;
  event.input_offset = std::min(where.offset, bytes.size());
  event.input_length = std::min(where.length, bytes.size() - event.input_offset);
  const auto cut = bytes.subspan(event.input_offset, event.input_length);
  event.bytes.assign(cut.begin(), cut.end());
  event.part = part;
  event.text_offset = reading_.text.size();
  reading_.events.push_back(std::move(event));
}

}  // namespace quillora::mail
