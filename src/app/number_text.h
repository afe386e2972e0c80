// Numbers held as text (settings values): read leniently, as the settings file stores them.
#pragma once

#include <cmath>
#include <concepts>
#include <limits>
#include <optional>
#include <string_view>

namespace quillora {

// Blanks around it, an optional sign, digits and an optional fraction ("500", " 12.5", "-3");
// nullopt for anything else.
[[nodiscard]] std::optional<double> NumberFromText(std::u16string_view text);

// The number rounded to the nearest whole number, halves to even; nullopt when it is not a number
// or does not fit T.
template <std::integral T>
[[nodiscard]] std::optional<T> WholeNumberFromText(std::u16string_view text) {
  const std::optional<double> number = NumberFromText(text);
  if (!number) {
    return std::nullopt;
  }
  const double rounded = std::nearbyint(*number);
  if (rounded < static_cast<double>(std::numeric_limits<T>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<T>::max())) {
    return std::nullopt;
  }
  return static_cast<T>(rounded);
}

}  // namespace quillora
