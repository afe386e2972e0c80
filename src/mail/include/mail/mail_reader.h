// Reads an RFC 5322 / MIME message (optionally behind an mbox "From " line, CR LF or LF) into
// readable text: decoded headers, the bodies a person reads, the attachments, and every repair.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "mail/repair_event.h"
#include "text/byte_buffer.h"

namespace quillora::mail {

struct Attachment {
  Text name;             // decoded; may hold anything the sender wrote, so sanitise before use
  std::string type;      // "application/pdf"
  std::string part;      // the part that holds it ("2", "1.3", "1:uuencode")
  ByteBuffer data;       // the content, transfer decoding undone; empty unless kept
  std::size_t size = 0;  // of the content, kept or not
};

// What a reading makes of the mail's text: the text itself, or its code page 932 bytes.
enum class MailProduct { text, cp932 };

struct MailReading {
  Text text;  // lines end in CR LF; empty when read as code page 932
  // MailProduct::cp932: the text's code page 932 encoding ("?" for a character it lacks), made
  // straight from the bytes of every part that needs no repair. The events' text places still
  // count in the text.
  ByteBuffer cp932;
  std::vector<Attachment> attachments;
  std::vector<RepairEvent> events;              // in the order of the text
  std::vector<std::string> charsets;            // as read, each once ("ISO-2022-JP", ...)
  std::vector<std::string> transfer_encodings;  // each once ("base64", "quoted-printable", ...)
};

struct ReadOptions {
  MailProduct product = MailProduct::text;
  // False: an attachment is listed with its size, but its content is not kept (`data` stays
  // empty), for a reading that will not save it: no memory the size of the attachments.
  bool keep_attachments = true;
  // Set, for MailProduct::cp932: the bytes are handed to it a piece at a time as they are made,
  // and `cp932` ends empty.
  std::function<void(std::span<const std::uint8_t>)> deliver;
};

// Never fails: anything GMime cannot see as a message is read as one text body.
[[nodiscard]] MailReading ReadMail(std::span<const std::uint8_t> input,
                                   const ReadOptions& options = {});

}  // namespace quillora::mail
