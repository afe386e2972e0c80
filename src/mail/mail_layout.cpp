#include "mail_layout.h"

#include <algorithm>

#include "html_text.h"
#include "text/cp932_codec.h"

namespace quillora::mail {
namespace {

Text Widened(std::string_view ascii) {
  return Text(ascii.begin(), ascii.end());
}

// A header value or a name as one line of the text: the sender's control characters, line ends
// among them, become blanks, one for one so that the events' places hold. Written as they are,
// they would break the text's lines or forge new ones ("Subject: x", CR LF, "From: ...").
Text OnOneLine(Text text) {
  for (char16_t& c : text) {
    if ((c < 0x20 && c != u'\t') || c == 0x7F) {
      c = u' ';
    }
  }
  return text;
}

void AddOnce(std::vector<std::string>& names, std::string_view name) {
  if (std::find(names.begin(), names.end(), name) == names.end()) {
    names.emplace_back(name);
  }
}

}  // namespace

void MailLayout::Add(std::vector<RepairEvent>& events, const std::string& part) {
  const std::size_t text_base = Length();
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

void MailLayout::Write(std::u16string_view text, std::size_t skip) {
  length_ += text.size();
  if (product_ == MailProduct::text) {
    reading_.text += text;
    return;
  }
  ByteBuffer& bytes = out_.bytes();
  if (skip > 0) {
    ByteBuffer encoded;
    AppendTextAsBytes(text, encoded);
    // The bytes handed on are the start of this encoding, so never more than all of it.
    skip = std::min(skip, encoded.size());
    bytes.insert(bytes.end(), encoded.begin() + static_cast<std::ptrdiff_t>(skip), encoded.end());
  } else {
    // AppendTextAsBytes reserves no more than it needs: many small pieces past the room reserved
    // would each move the whole buffer.
    if (bytes.capacity() - bytes.size() < 2 * text.size()) {
      bytes.reserve(std::max(2 * bytes.capacity(), bytes.size() + 2 * text.size()));
    }
    AppendTextAsBytes(text, bytes);
  }
  out_.Settle();
}

void MailLayout::EndLine() {
  const bool at_line_start = product_ == MailProduct::text
                                 ? reading_.text.empty() || reading_.text.ends_with(u"\r\n")
                                 : out_.total() == 0 || out_.EndsWithLineEnd();
  if (!at_line_start) {
    Write(u"\r\n");
  }
}

void MailLayout::Header(std::string_view name, HeaderText value, std::size_t input_offset,
                        const std::string& part) {
  Write(Widened(name));
  Write(u": ");
  for (RepairEvent& event : value.events) {
    event.input_offset += input_offset;
  }
  Add(value.events, part);
  Write(OnOneLine(std::move(value.text)));
  Write(u"\r\n");
}

void MailLayout::EndHeaders() {
  Write(u"\r\n");
}

void MailLayout::NestedMessage() {
  EndLine();
  Write(u"\r\n-------- message --------\r\n");
}

DirectResult MailLayout::DirectBody(const CharsetChoice& choice,
                                    std::span<const std::uint8_t> bytes) {
  if (product_ != MailProduct::cp932 || choice.repair || choice.icu) {
    return {};
  }
  const DirectResult direct = AppendDirectCp932(choice.charset, bytes, out_);
  // As Body: a body that makes no text leaves no trace.
  if (direct.done && direct.characters > 0) {
    length_ += direct.characters;
    CharsetSeen(CharsetName(choice.charset));
    EndLine();
  }
  return direct;
}

void MailLayout::Body(PartText text, const std::string& part, std::size_t handed) {
  if (text.text.empty() && text.events.empty()) {
    return;
  }
  CharsetSeen(text.charset);
  Add(text.events, part);
  if (product_ == MailProduct::text && text.text.size() > reading_.text.size() &&
      text.text.capacity() >= reading_.text.size() + text.text.size()) {
    // A body larger than all before it takes that text into its own buffer: one buffer of the
    // body's size at a time, not two.
    text.text.insert(0, reading_.text);
    reading_.text.swap(text.text);
    length_ = reading_.text.size();
  } else {
    Write(text.text, handed);
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
  Write(u"[uuencode] ");
  Write(OnOneLine(name));
  Write(u"\r\n");
  Body(std::move(text), part);
}

void MailLayout::AttachmentListed(HeaderText name, std::string type, std::string part,
                                  ByteBuffer data, std::size_t size) {
  EndLine();
  Write(u"[Attachment] ");
  Add(name.events, part);
  Write(OnOneLine(name.text));
  Write(Widened((name.text.empty() ? "(" : " (") + type + ", " + std::to_string(size) +
                " bytes)\r\n"));
  reading_.attachments.push_back(
      {std::move(name.text), std::move(type), std::move(part), std::move(data), size});
}

void MailLayout::Embedded(MailReading nested, std::size_t length, const SourceMap& map,
                          const std::string& part) {
  const std::size_t text_base = Length();
  for (RepairEvent& event : nested.events) {
    const SourceMap::Span span = map.Map(event.input_offset, event.input_length);
    event.input_offset = span.offset;
    event.input_length = span.length;
    event.text_offset += text_base;
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
  if (product_ == MailProduct::text) {
    reading_.text += nested.text;
  } else {
    out_.bytes().insert(out_.bytes().end(), nested.cp932.begin(), nested.cp932.end());
    out_.Settle();
  }
  length_ += length;
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
  event.text_offset = Length();
  reading_.events.push_back(std::move(event));
}

}  // namespace quillora::mail
