// The message tree is GMime's; what each part means to a reader, and its charset, is decided here.
#include "mail/mail_reader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "charset_sniff.h"
#include "gmime_handles.h"
#include "header_text.h"
#include "io/large_buffer.h"
#include "mail_layout.h"
#include "mail_shape.h"
#include "part_text.h"
#include "text/utf8.h"
#include "transfer_decoding.h"
#include "uuencode_blocks.h"

namespace quillora::mail {

void EnsureGMime() {
  static const bool initialised = [] {
    g_mime_init();
    return true;
  }();
  (void)initialised;
}

namespace {

std::span<const std::uint8_t> AsBytes(const char* text) {
  return {reinterpret_cast<const std::uint8_t*>(text), text == nullptr ? 0 : std::strlen(text)};
}

std::string Lowered(const char* text) {
  std::string lowered = text == nullptr ? "" : text;
  for (char& c : lowered) {
    c = static_cast<char>(g_ascii_tolower(c));
  }
  return lowered;
}

TransferEncoding TransferEncodingOf(GMimeContentEncoding encoding) {
  switch (encoding) {
    case GMIME_CONTENT_ENCODING_BASE64:
      return TransferEncoding::base64;
    case GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE:
      return TransferEncoding::quoted_printable;
    case GMIME_CONTENT_ENCODING_UUENCODE:
      return TransferEncoding::uuencode;
    default:
      return TransferEncoding::identity;
  }
}

std::string TypeOf(GMimeObject* object) {
  GMimeContentType* type = g_mime_object_get_content_type(object);
  if (type == nullptr) {
    return "text/plain";
  }
  return Lowered(g_mime_content_type_get_media_type(type)) + "/" +
         Lowered(g_mime_content_type_get_media_subtype(type));
}

// A stream GMime parses the input from. GMime copies a buffer it is given, which for a large mail
// costs as much as reading it: the input is lent instead, as a byte array the stream only reads
// and does not own. Every GMime object made from the stream must be gone before this is.
class LentStream {
 public:
  explicit LentStream(std::span<const std::uint8_t> input) {
    if (input.size() > G_MAXUINT) {  // beyond what a GByteArray can hold
      stream_.reset(g_mime_stream_mem_new_with_buffer(reinterpret_cast<const char*>(input.data()),
                                                      input.size()));
      return;
    }
    array_ = g_byte_array_new_take(const_cast<std::uint8_t*>(input.data()),  // NOLINT
                                   static_cast<gsize>(input.size()));
    stream_.reset(g_mime_stream_mem_new_with_byte_array(array_));
    g_mime_stream_mem_set_owner(GMIME_STREAM_MEM(stream_.get()), FALSE);
  }
  LentStream(const LentStream&) = delete;
  LentStream& operator=(const LentStream&) = delete;
  ~LentStream() {
    stream_.reset();
    if (array_ != nullptr) {
      g_byte_array_free(array_, FALSE);  // the wrapper only: the bytes are the caller's
    }
  }

  [[nodiscard]] GMimeStream* get() const { return stream_.get(); }

 private:
  GByteArray* array_ = nullptr;
  GObjectPtr<GMimeStream> stream_;
};

// Transfer-encoded messages inside messages are read to this depth; deeper ones are listed.
constexpr int kMostNestedMessages = 8;

// `length`, when asked for, receives the length of the text in UTF-16 units.
MailReading ReadMessage(std::span<const std::uint8_t> input, int depth, const ReadOptions& options,
                        std::size_t* length);

class MailWalker {
 public:
  MailWalker(std::span<const std::uint8_t> input, MailReading& reading, int depth,
             const ReadOptions& options)
      : input_(input),
        layout_(reading, options.product, depth == 0 ? options.deliver : nullptr),
        depth_(depth),
        options_(options) {}

  void Message(GMimeMessage* message, const std::string& path) {
    Headers(GMIME_OBJECT(message), path.empty() ? "header" : path + ".header");
    GMimeObject* body = g_mime_message_get_mime_part(message);
    if (body == nullptr) {
      return;
    }
    Object(body, GMIME_IS_MULTIPART(body) ? path : Child(path, 1));
  }

  void NextMessage() { layout_.NestedMessage(); }

  // Input that GMime does not take for a message: one body in the charset it reads as.
  void BareText() {
    BodyText(CharsetName(SniffCharset(input_).charset), input_, SourceMap::Identity(input_.size()),
             "1");
  }

  [[nodiscard]] std::size_t Length() const { return layout_.Length(); }
  void Finish() { layout_.Finish(); }

 private:
  static std::string Child(const std::string& path, int index) {
    return path.empty() ? std::to_string(index) : path + "." + std::to_string(index);
  }

  void Headers(GMimeObject* object, const std::string& part) {
    GMimeHeaderList* list = g_mime_object_get_header_list(object);
    for (const char* name : {"From", "To", "Cc", "Subject", "Date"}) {
      GMimeHeader* header = g_mime_header_list_get_header(list, name);
      if (header == nullptr) {
        continue;
      }
      const auto [raw, offset] = RawValue(header);
      layout_.Header(name, DecodeHeaderValue(raw), offset, part);
    }
    layout_.EndHeaders();
  }

  // The header's value as written, and where it starts in the input.
  std::pair<std::span<const std::uint8_t>, std::size_t> RawValue(GMimeHeader* header) const {
    const auto raw = AsBytes(g_mime_header_get_raw_value(header));
    const gint64 at = g_mime_header_get_offset(header);
    const std::size_t name_length = std::strlen(g_mime_header_get_name(header));
    if (at >= 0) {
      const std::size_t value = static_cast<std::size_t>(at) + name_length + 1;
      if (value <= input_.size() && raw.size() <= input_.size() - value &&
          std::equal(raw.begin(), raw.end(), input_.begin() + static_cast<std::ptrdiff_t>(value))) {
        return {input_.subspan(value, raw.size()), value};
      }
      return {raw, std::min(static_cast<std::size_t>(at), input_.size())};
    }
    return {raw, 0};
  }

  void Object(GMimeObject* object, const std::string& path) {
    if (GMIME_IS_MULTIPART(object)) {
      Multipart(GMIME_MULTIPART(object), path);
    } else if (GMIME_IS_MESSAGE_PART(object)) {
      GMimeMessage* nested = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
      if (nested != nullptr) {
        layout_.NestedMessage();
        Message(nested, path);
      }
    } else if (GMIME_IS_PART(object)) {
      Part(GMIME_PART(object), path);
    }
  }

  void Multipart(GMimeMultipart* multipart, const std::string& path) {
    const int count = g_mime_multipart_get_count(multipart);
    if (TypeOf(GMIME_OBJECT(multipart)) == "multipart/alternative" && count > 0) {
      // The plain text when there is one; otherwise the last, richest form.
      int chosen = count - 1;
      for (int i = 0; i < count; ++i) {
        if (TypeOf(g_mime_multipart_get_part(multipart, i)) == "text/plain") {
          chosen = i;
          break;
        }
      }
      Object(g_mime_multipart_get_part(multipart, chosen), Child(path, chosen + 1));
      return;
    }
    for (int i = 0; i < count; ++i) {
      Object(g_mime_multipart_get_part(multipart, i), Child(path, i + 1));
    }
  }

  struct Content {
    TransferDecoded decoded;
    std::size_t start = 0;  // of the encoded content in the input
  };

  Content ContentOf(GMimePart* part, bool keep) {
    Content content;
    GMimeDataWrapper* wrapper = g_mime_part_get_content(part);
    if (wrapper == nullptr) {
      return content;
    }
    GMimeStream* stream = g_mime_data_wrapper_get_stream(wrapper);
    const gint64 start = stream->bound_start;
    const gint64 end =
        stream->bound_end < 0 ? static_cast<gint64>(input_.size()) : stream->bound_end;
    if (start < 0 || start > end || static_cast<std::size_t>(end) > input_.size()) {
      return content;
    }
    content.start = static_cast<std::size_t>(start);
    const auto encoded = input_.subspan(content.start, static_cast<std::size_t>(end - start));
    const TransferEncoding encoding = TransferEncodingOf(g_mime_part_get_content_encoding(part));
    const char* name = g_mime_content_encoding_to_string(g_mime_part_get_content_encoding(part));
    layout_.TransferEncodingSeen(name == nullptr ? "7bit" : name);
    if (encoding == TransferEncoding::uuencode) {
      const auto blocks = FindUuencodeBlocks(encoded);
      const std::size_t data = blocks.empty() ? 0 : blocks.front().data_begin;
      content.decoded = DecodeTransfer(encoding, encoded.subspan(data));
      content.decoded.map.Shift(data);
      if (content.decoded.truncated) {
        content.decoded.truncated->offset += data;
      }
    } else {
      content.decoded = DecodeTransfer(encoding, encoded, keep);
    }
    content.decoded.map.Shift(content.start);
    if (content.decoded.truncated) {
      content.decoded.truncated->offset += content.start;
    }
    return content;
  }

  void Part(GMimePart* part, const std::string& path) {
    GMimeObject* object = GMIME_OBJECT(part);
    const std::string type = TypeOf(object);
    const char* disposition = g_mime_object_get_disposition(object);
    const bool attached = Lowered(disposition) == "attachment";
    // A forwarded message under a transfer encoding is no message part to GMime: read it here.
    const bool message =
        (type == "message/rfc822" || type == "message/global") && depth_ < kMostNestedMessages;
    HeaderText name = message ? HeaderText{} : FileName(object);
    // A named plain text is a file as well as text to read: listed, then shown.
    const bool plain_file = type == "text/plain" && (attached || !name.text.empty());
    const bool listed_only = !message && !plain_file && (attached || !type.starts_with("text/"));
    Content content = ContentOf(part, options_.keep_attachments || !listed_only);
    if (content.decoded.truncated) {
      layout_.Truncated(*content.decoded.truncated, input_, path);
    }
    if (message) {
      layout_.NestedMessage();
      std::size_t length = 0;
      MailReading nested = ReadMessage(content.decoded.Bytes(), depth_ + 1, options_, &length);
      layout_.Embedded(std::move(nested), length, content.decoded.map, path);
      return;
    }
    if (plain_file) {
      const std::span<const std::uint8_t> file = content.decoded.Bytes();
      layout_.AttachmentListed(
          std::move(name), type, path,
          options_.keep_attachments ? ByteBuffer(file.begin(), file.end()) : ByteBuffer(),
          file.size());
    } else if (listed_only) {
      const std::size_t size = content.decoded.size;
      layout_.AttachmentListed(std::move(name), type, path,
                               options_.keep_attachments ? content.decoded.Take() : ByteBuffer(),
                               size);
      return;
    }
    const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
    const std::string label = charset == nullptr ? "" : charset;
    if (type == "text/html") {
      layout_.Html(DecodePartText(label, content.decoded.Bytes(), content.decoded.map), path);
    } else {
      TextWithUuencode(label, content.decoded, path);
    }
  }

  // A text body, with the uuencoded files written into it decoded.
  void TextWithUuencode(const std::string& label, const TransferDecoded& decoded,
                        const std::string& path) {
    const std::span<const std::uint8_t> bytes = decoded.Bytes();
    std::size_t at = 0;
    int index = 0;
    for (const UuencodeBlock& block : FindUuencodeBlocks(bytes)) {
      BodyText(label, bytes.subspan(at, block.begin - at), decoded.map.From(at), path);
      Uuencoded(block, bytes, decoded.map, path + ":uuencode" + std::to_string(++index));
      at = block.end;
    }
    BodyText(label, bytes.subspan(at), decoded.map.From(at), path);
  }

  void BodyText(std::string_view label, std::span<const std::uint8_t> bytes, const SourceMap& map,
                const std::string& path) {
    const CharsetChoice choice = ChooseCharset(label, bytes);
    const DirectResult direct = layout_.DirectBody(choice, bytes);
    if (!direct.done) {
      layout_.Body(DecodePartText(choice, bytes, map), path, direct.handed);
    }
  }

  void Uuencoded(const UuencodeBlock& block, std::span<const std::uint8_t> bytes,
                 const SourceMap& map, const std::string& part) {
    layout_.TransferEncodingSeen("uuencode");
    TransferDecoded data = DecodeTransfer(
        TransferEncoding::uuencode, bytes.subspan(block.data_begin, block.end - block.data_begin));
    if (data.truncated) {
      layout_.Truncated(map.Map(block.end, 0), input_, part);
    }
    PartText name = DecodeUnlabelledText(block.name, map.From(block.name_begin));
    SourceMap content_map = data.map;
    content_map.Shift(map.Map(block.data_begin, 0).offset);
    const std::span<const std::uint8_t> file = data.Bytes();
    PartText text = DecodeUnlabelledText(file, content_map);
    const bool readable =
        !file.empty() && std::find(file.begin(), file.end(), std::uint8_t{0}) == file.end() &&
        std::none_of(text.events.begin(), text.events.end(), [](const RepairEvent& event) {
          return event.kind == RepairKind::replaced_invalid_byte;
        });
    if (readable) {
      layout_.UuencodedText(name.text, std::move(text), part);
    } else {
      const std::size_t size = file.size();
      layout_.AttachmentListed({std::move(name.text), std::move(name.events)},
                               "application/octet-stream", part,
                               options_.keep_attachments ? data.Take() : ByteBuffer(), size);
    }
  }

  // The attachment's name from Content-Disposition's filename or else Content-Type's name. The
  // words are decoded first, by the decoders here, so that GMime's parameter parser sees text it
  // need not convert; an RFC 2231 value GMime could not convert keeps its bytes and its charset.
  HeaderText FileName(GMimeObject* object) const {
    GMimeHeaderList* list = g_mime_object_get_header_list(object);
    for (const auto& [header_name, parameter] :
         {std::pair{"Content-Disposition", "filename"}, std::pair{"Content-Type", "name"}}) {
      GMimeHeader* header = g_mime_header_list_get_header(list, header_name);
      if (header == nullptr) {
        continue;
      }
      const auto [raw, offset] = RawValue(header);
      HeaderText value = DecodeHeaderValue(raw);
      for (RepairEvent& event : value.events) {
        event.input_offset += offset;
      }
      const std::string utf8 = Utf8FromText(value.text);
      GMimeParam* param = nullptr;
      GObjectPtr<GObject> parsed;
      if (header_name == std::string_view("Content-Type")) {
        GMimeContentType* type = g_mime_content_type_parse(nullptr, utf8.c_str());
        parsed.reset(G_OBJECT(type));
        param =
            g_mime_param_list_get_parameter(g_mime_content_type_get_parameters(type), parameter);
      } else {
        GMimeContentDisposition* disposition =
            g_mime_content_disposition_parse(nullptr, utf8.c_str());
        parsed.reset(G_OBJECT(disposition));
        param = g_mime_param_list_get_parameter(
            g_mime_content_disposition_get_parameters(disposition), parameter);
      }
      if (param == nullptr || g_mime_param_get_value(param) == nullptr) {
        continue;
      }
      const auto bytes = AsBytes(g_mime_param_get_value(param));
      const char* charset = g_mime_param_get_charset(param);
      const bool raw_bytes =
          std::find(bytes.begin(), bytes.end(), std::uint8_t{0x1B}) != bytes.end() ||
          !TextFromUtf8(
              std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      if (charset != nullptr && raw_bytes) {
        SourceMap map;
        map.Add(0, offset, raw.size(), SourceMap::Scale::whole);
        PartText text = DecodePartText(charset, bytes, map);
        return {std::move(text.text), std::move(text.events)};
      }
      Text name = TextFromUtf8Lossy(
          std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      std::vector<RepairEvent> events = EventsOfName(std::move(value), name);
      return {std::move(name), std::move(events)};
    }
    return {};
  }

  // The header's events with text places in `name` where they are in it.
  static std::vector<RepairEvent> EventsOfName(HeaderText value, const Text& name) {
    const std::size_t at = name.empty() ? Text::npos : value.text.find(name);
    for (RepairEvent& event : value.events) {
      const bool inside = at != Text::npos && event.text_offset >= at &&
                          event.text_offset + event.text_length <= at + name.size();
      if (inside) {
        event.text_offset -= at;
        continue;
      }
      // An override covers its whole run, the name with it; a repair elsewhere shows nothing.
      const bool whole_run =
          event.kind == RepairKind::charset_override || event.kind == RepairKind::unknown_charset;
      event.text_offset = 0;
      event.text_length = whole_run ? name.size() : 0;
      if (event.kind == RepairKind::replaced_invalid_byte) {
        event.produced.clear();
      }
    }
    return std::move(value.events);
  }

  std::span<const std::uint8_t> input_;
  MailLayout layout_;
  int depth_;
  const ReadOptions& options_;
};

MailReading ReadMessage(std::span<const std::uint8_t> input, int depth, const ReadOptions& options,
                        std::size_t* length) {
  MailReading reading;
  const bool handed_on = depth == 0 && options.deliver;
  if (options.product == MailProduct::cp932 && !handed_on) {
    // The text is about as long as the mail: room for it once, touched only where written.
    ReserveLarge(reading.cp932, input.size() + input.size() / 4 + 4096, 0);
  }
  MailWalker walker(input, reading, depth, options);
  const auto finish = [&] {
    walker.Finish();
    if (length != nullptr) {
      *length = walker.Length();
    }
    return std::move(reading);
  };
  if (!LooksLikeMail(input)) {
    walker.BareText();
    return finish();
  }
  const LentStream stream(input);
  GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  const bool mbox = StartsWithMboxLine(input);
  g_mime_parser_set_format(parser.get(), mbox ? GMIME_FORMAT_MBOX : GMIME_FORMAT_MESSAGE);
  int messages = 0;
  // An mbox may hold several messages; a message is one.
  while (messages == 0 || (mbox && !g_mime_parser_eos(parser.get()))) {
    GObjectPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!message) {
      break;
    }
    if (messages++ > 0) {
      walker.NextMessage();
    }
    // The second and later messages of an mbox name their parts "#2.1", "#2.header", ...
    walker.Message(message.get(), messages == 1
                                      ? std::string()
                                      : std::string("#").append(std::to_string(messages)));
  }
  if (messages == 0) {
    walker.BareText();
  }
  return finish();
}

}  // namespace

MailReading ReadMail(std::span<const std::uint8_t> input, const ReadOptions& options) {
  EnsureGMime();
  return ReadMessage(input, 0, options, nullptr);
}

}  // namespace quillora::mail
