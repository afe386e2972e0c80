// Lenient reading of numbers held as text.
#include "app/number_text.h"

#include <charconv>
#include <string>

namespace quillora {

namespace {

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

}  // namespace

std::optional<double> NumberFromText(std::u16string_view text) {
  const auto first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) {
    return std::nullopt;
  }
  text = text.substr(first, text.find_last_not_of(u' ') - first + 1);

  std::string ascii;
  std::size_t i = 0;
  if (text[0] == u'+' || text[0] == u'-') {
    ascii += static_cast<char>(text[0]);
    ++i;
  }
  bool any_digit = false;
  bool seen_point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      any_digit = true;
    } else if (text[i] == u'.' && !seen_point) {
      seen_point = true;
    } else {
      return std::nullopt;
    }
    ascii += static_cast<char>(text[i]);
  }
  if (!any_digit) {
    return std::nullopt;
  }
  // from_chars, unlike stod, ignores the locale that the application sets for itself.
  double number = 0;
  const char* begin = ascii.data() + (ascii[0] == '+' ? 1 : 0);
  std::from_chars(begin, ascii.data() + ascii.size(), number);
  return number;
}

}  // namespace quillora
