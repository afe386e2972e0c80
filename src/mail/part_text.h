// The text of one run of bytes in a labelled charset: the charset chosen (label or content), the
// decoding, and its repairs as events.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "charset_sniff.h"
#include "mail/charset.h"
#include "mail/repair_event.h"
#include "source_map.h"

namespace quillora::mail {

struct PartText {
  Text text;
  std::string charset;  // the name it was read as: "ISO-2022-JP", or the label ICU read
  // Input offsets through `map`; text offsets into `text`; the part is left to the caller.
  std::vector<RepairEvent> events;
};

// `label` empty: no label was given.
[[nodiscard]] PartText DecodePartText(std::string_view label, std::span<const std::uint8_t> bytes,
                                      const SourceMap& map);
// The same in a charset already chosen for the bytes (ChooseCharset).
[[nodiscard]] PartText DecodePartText(const CharsetChoice& choice,
                                      std::span<const std::uint8_t> bytes, const SourceMap& map);

// Bytes that carry no label by nature (a uuencoded file, a bare text): read by what they are,
// without an override event.
[[nodiscard]] PartText DecodeUnlabelledText(std::span<const std::uint8_t> bytes,
                                            const SourceMap& map);

}  // namespace quillora::mail
