// How a read mail is laid out as text: header lines, bodies in order, attachment lines. Every
// event is moved from its part's coordinates to the reading's. Read as code page 932, the text is
// encoded as it is laid out, and bodies that need no repair skip the text altogether.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "charset_sniff.h"
#include "header_text.h"
#include "mail/mail_reader.h"
#include "part_text.h"
#include "source_map.h"

namespace quillora::mail {

class MailLayout {
 public:
  MailLayout(MailReading& reading, MailProduct product) : reading_(reading), product_(product) {}

  // `value` has input offsets relative to `input_offset`.
  void Header(std::string_view name, HeaderText value, std::size_t input_offset,
              const std::string& part);
  void EndHeaders();
  void NestedMessage();
  void Body(PartText text, const std::string& part);
  // A body's bytes in the charset chosen for them, laid out straight as code page 932 when the
  // reading is that and they need no repair, which is then all there is to them. False when they
  // are to be read as text for Body.
  [[nodiscard]] bool DirectBody(const CharsetChoice& choice, std::span<const std::uint8_t> bytes);
  void Html(PartText text, const std::string& part);
  void UuencodedText(const Text& name, PartText text, const std::string& part);
  // `name` has input offsets in the input already, text offsets in the name.
  // `data` is empty where the content is not kept; `size` is the content's.
  void AttachmentListed(HeaderText name, std::string type, std::string part, ByteBuffer data,
                        std::size_t size);
  // A message read on its own from decoded bytes that `map` traces back to the input; its text is
  // `length` UTF-16 units long.
  void Embedded(MailReading nested, std::size_t length, const SourceMap& map,
                const std::string& part);
  void Truncated(SourceMap::Span where, std::span<const std::uint8_t> bytes,
                 const std::string& part);
  void TransferEncodingSeen(std::string_view name);

  // The length of the text so far, in UTF-16 units.
  [[nodiscard]] std::size_t Length();

 private:
  // The events, their text places counted from the end of the text so far.
  void Add(std::vector<RepairEvent>& events, const std::string& part);
  void CharsetSeen(std::string_view charset);
  void EndLine();
  void Write(std::u16string_view text);

  MailReading& reading_;
  MailProduct product_;
  std::size_t length_ = 0;
  // Code page 932 bytes laid out straight, not yet counted in length_: counting them costs a pass,
  // which only a later event's place needs.
  std::vector<std::pair<std::size_t, std::size_t>> uncounted_;
};

}  // namespace quillora::mail
