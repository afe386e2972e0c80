// The About box's decisions, free of widgets: the link colours and where System Information is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "text/byte_buffer.h"
#include "platform/registry.h"

namespace quillora {

inline constexpr std::size_t kLinkCount = 2;  // the mail link, then the home-page link
inline constexpr std::uint32_t kLinkBlue = 0x0000FF;
inline constexpr std::uint32_t kLinkRed = 0xFF0000;

// A link turns red while the pointer is over it and stays red until the pointer passes over the
// box's own surface; passing over other controls changes nothing.
class LinkColours {
 public:
  // Each returns true when a colour changed.
  bool PointerOverLink(std::size_t link);
  bool PointerOverSurface();

  [[nodiscard]] std::uint32_t Colour(std::size_t link) const { return colours_.at(link); }

 private:
  std::array<std::uint32_t, kLinkCount> colours_{kLinkBlue, kLinkBlue};
};

// Reads one registry value as text. False, with KeyVal emptied, when the key cannot be opened or
// the value cannot be read (also when it is longer than 1024 bytes). REG_SZ gives its text up to
// the first zero byte, REG_DWORD its number in upper-case hexadecimal; any other type leaves KeyVal
// as it was.
bool GetKeyValue(registry::Registry& registry, registry::Key KeyRoot, std::string_view KeyName,
                 std::string_view SubKeyRef, Text& KeyVal);

// The System Information program to start: MSINFO32 as the registry records it, else the desktop's
// own system-information program found on PATH; nullopt when there is none.
[[nodiscard]] std::optional<Text> LocateSysInfo(registry::Registry& registry);

}  // namespace quillora
