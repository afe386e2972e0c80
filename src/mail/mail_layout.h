// How a read mail is laid out as text: header lines, bodies in order, attachment lines. Every
// event is moved from its part's coordinates to the reading's.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "header_text.h"
#include "mail/mail_reader.h"
#include "part_text.h"
#include "source_map.h"

namespace quillora::mail {

class MailLayout {
 public:
  explicit MailLayout(MailReading& reading) : reading_(reading) {}

  // `value` has input offsets relative to `input_offset`.
  void Header(std::string_view name, HeaderText value, std::size_t input_offset,
              const std::string& part);
  void EndHeaders();
  void NestedMessage();
  void Body(PartText text, const std::string& part);
  void Html(PartText text, const std::string& part);
  void UuencodedText(const Text& name, PartText text, const std::string& part);
  // `name` has input offsets in the input already, text offsets in the name.
  void AttachmentListed(HeaderText name, std::string type, std::string part, ByteBuffer data);
  // A message read on its own from decoded bytes that `map` traces back to the input.
  void Embedded(MailReading nested, const SourceMap& map, const std::string& part);
  void Truncated(SourceMap::Span where, std::span<const std::uint8_t> bytes,
                 const std::string& part);
  void TransferEncodingSeen(std::string_view name);

 private:
  void Add(std::vector<RepairEvent>& events, std::size_t text_base, const std::string& part);
  void CharsetSeen(std::string_view charset);
  void EndLine();
  void Append(std::u16string_view ascii);

  MailReading& reading_;
};

}  // namespace quillora::mail
