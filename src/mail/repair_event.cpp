#include "mail/repair_event.h"

namespace quillora::mail {

std::string_view RepairKindName(RepairKind kind) noexcept {
  switch (kind) {
    case RepairKind::replaced_invalid_byte:
      return "replaced_invalid_byte";
    case RepairKind::unmappable_in_cp932:
      return "unmappable_in_cp932";
    case RepairKind::repaired_escape:
      return "repaired_escape";
    case RepairKind::charset_override:
      return "charset_override";
    case RepairKind::truncated_encoding:
      return "truncated_encoding";
    case RepairKind::unknown_charset:
      return "unknown_charset";
  }
  return "replaced_invalid_byte";
}

std::size_t RepairCount(std::span<const RepairEvent> events) noexcept {
  std::size_t count = 0;
  for (const RepairEvent& event : events) {
    count += 1 + event.more;
  }
  return count;
}

}  // namespace quillora::mail
