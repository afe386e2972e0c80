#include "part_text.h"

#include <algorithm>
#include <string>

namespace quillora::mail {
namespace {

// An override, or an event standing for many, names its bytes by the first few; the whole part
// would bloat the report.
constexpr std::size_t kSampleBytes = 32;

constexpr std::size_t kRoomBefore = 16384;

}  // namespace

PartText DecodePartText(std::string_view label, std::span<const std::uint8_t> bytes,
                        const SourceMap& map) {
  return DecodePartText(ChooseCharset(label, bytes), bytes, map);
}

PartText DecodePartText(const CharsetChoice& choice, std::span<const std::uint8_t> bytes,
                        const SourceMap& map) {
  PartText part;
  part.charset = choice.icu ? choice.icu->label : std::string(CharsetName(choice.charset));
  if (choice.repair) {
    RepairEvent event;
    event.kind = *choice.repair;
    const SourceMap::Span first = map.Map(0, 0);
    const SourceMap::Span last = map.Map(bytes.size(), 0);
    event.input_offset = first.offset;
    event.input_length = std::max(last.offset + last.length, first.offset) - first.offset;
    const auto sample = bytes.first(std::min(bytes.size(), kSampleBytes));
    event.bytes.assign(sample.begin(), sample.end());
    event.detail = choice.detail;
    part.events.push_back(std::move(event));
  }
  // At most a unit a byte, but a lone CR or LF becomes CR LF; and room for the mail's text before
  // it, which a large body takes into its own buffer (MailLayout::Body). Room never written is
  // never touched, so it costs no memory.
  part.text.reserve(bytes.size() + bytes.size() / 8 + kRoomBefore);
  std::vector<DecodeIssue> issues;
  if (choice.icu) {
    DecodeWithIcu(*choice.icu, bytes, part.text, issues);
  } else {
    DecodeCharset(choice.charset, bytes, part.text, issues);
  }
  const std::size_t override_count = part.events.size();
  for (const DecodeIssue& issue : issues) {
    RepairEvent event;
    event.kind = issue.kind;
    const SourceMap::Span span = map.Map(issue.at, issue.length);
    event.input_offset = span.offset;
    event.input_length = span.length;
    const std::size_t at = std::min(issue.at, bytes.size());
    const std::size_t length = std::min(issue.more > 0 ? kSampleBytes : issue.length,
                                        std::min(issue.length, bytes.size() - at));
    const auto source = bytes.subspan(at, length);
    event.bytes.assign(source.begin(), source.end());
    event.text_offset = issue.text_at;
    event.text_length = issue.text_length;
    event.more = issue.more;
    if (issue.more == 0) {
      event.produced = issue.kind == RepairKind::unmappable_in_cp932
                           ? Text(u"?")
                           : part.text.substr(issue.text_at, issue.text_length);
    } else {
      event.detail = "and " + std::to_string(issue.more) + " more of this kind in these bytes";
    }
    part.events.push_back(std::move(event));
  }
  if (override_count > 0) {
    part.events.front().text_length = part.text.size();
  }
  return part;
}

PartText DecodeUnlabelledText(std::span<const std::uint8_t> bytes, const SourceMap& map) {
  return DecodePartText(CharsetName(SniffCharset(bytes).charset), bytes, map);
}

}  // namespace quillora::mail
