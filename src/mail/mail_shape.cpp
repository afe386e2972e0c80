#include "mail_shape.h"

#include <algorithm>

namespace quillora::mail {
namespace {

// The field name of the header line at `at`, up to its colon; 0 when the line is none.
std::size_t FieldNameLength(std::span<const std::uint8_t> input, std::size_t at) {
  std::size_t i = at;
  while (i < input.size() && input[i] >= 0x21 && input[i] <= 0x7E && input[i] != ':') {
    ++i;
  }
  return i < input.size() && input[i] == ':' && i > at ? i - at : 0;
}

std::size_t NextLine(std::span<const std::uint8_t> input, std::size_t at) {
  const auto newline =
      std::find(input.begin() + static_cast<std::ptrdiff_t>(at), input.end(), std::uint8_t{'\n'});
  return newline == input.end() ? input.size()
                                : static_cast<std::size_t>(newline - input.begin()) + 1;
}

}  // namespace

bool StartsWithMboxLine(std::span<const std::uint8_t> input) {
  constexpr std::uint8_t kFrom[] = {'F', 'r', 'o', 'm', ' '};
  return input.size() >= 5 && std::equal(std::begin(kFrom), std::end(kFrom), input.begin());
}

bool LooksLikeMail(std::span<const std::uint8_t> input) {
  std::size_t at = StartsWithMboxLine(input) ? NextLine(input, 0) : 0;
  if (FieldNameLength(input, at) == 0) {
    return false;
  }
  // The next line that is not a continuation must be a header too, or the header's end.
  at = NextLine(input, at);
  while (at < input.size() && (input[at] == ' ' || input[at] == '\t')) {
    at = NextLine(input, at);
  }
  return at < input.size() &&
         (input[at] == '\r' || input[at] == '\n' || FieldNameLength(input, at) > 0);
}

}  // namespace quillora::mail
