// How a read mail is laid out as text: header lines, bodies in order, attachment lines. Every
// event is moved from its part's coordinates to the reading's. Read as code page 932, the text is
// encoded as it is laid out, and bodies that need no repair skip the text altogether.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "charset_sniff.h"
#include "direct_cp932.h"
#include "header_text.h"
#include "mail/mail_reader.h"
#include "part_text.h"
#include "source_map.h"

namespace quillora::mail {

class MailLayout {
 public:
  // `deliver`, for a code page 932 reading: where its bytes are handed on as they are made.
  MailLayout(MailReading& reading, MailProduct product, Cp932Output::Deliver deliver = {})
      : reading_(reading), product_(product), out_(reading.cp932, std::move(deliver)) {}

  // `value` has input offsets relative to `input_offset`.
  void Header(std::string_view name, HeaderText value, std::size_t input_offset,
              const std::string& part);
  void EndHeaders();
  void NestedMessage();
  // `handed`: the first bytes of the text's encoding, handed on already (DirectBody).
  void Body(PartText text, const std::string& part, std::size_t handed = 0);
  // A body's bytes in the charset chosen for them, laid out straight as code page 932 when the
  // reading is that and they need no repair, which is then all there is to them. Not done when
  // they are to be read as text for Body.
  [[nodiscard]] DirectResult DirectBody(const CharsetChoice& choice,
                                        std::span<const std::uint8_t> bytes);
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
  [[nodiscard]] std::size_t Length() const { return length_; }
  // Hands on the last code page 932 bytes.
  void Finish() { out_.Finish(); }

 private:
  // The events, their text places counted from the end of the text so far.
  void Add(std::vector<RepairEvent>& events, const std::string& part);
  void CharsetSeen(std::string_view charset);
  void EndLine();
  // `skip`: bytes of the text's encoding handed on already.
  void Write(std::u16string_view text, std::size_t skip = 0);

  MailReading& reading_;
  MailProduct product_;
  Cp932Output out_;
  std::size_t length_ = 0;
};

}  // namespace quillora::mail
