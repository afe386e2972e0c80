// The case-blind search of the mail decoders against its definition: the lowered copy searched.
#include "mail_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace quillora::test {
namespace {

// Random text of every size to 300 at every alignment, made of the words' letters in both cases
// and a few other bytes, half the time with the word put in, so that partial and whole matches
// fall at every place of a block.
TEST(mail_text_test, lowered_contains_matches_lowering_then_searching) {
  std::mt19937 random(10);
  constexpr std::string_view kAlphabet = "beginBEGINendEND \r\nM`x";
  for (const std::string_view word : {"begin ", "end", "e", "en"}) {
    for (std::size_t size = 0; size <= 300; ++size) {
      for (std::size_t align = 0; align < 16; ++align) {
        std::vector<char> storage(align + size);  // a read past the text is a sanitizer fault
        for (std::size_t k = 0; k < size; ++k) {
          storage[align + k] = kAlphabet[random() % kAlphabet.size()];
        }
        // Half the time the word itself, in mixed case, somewhere.
        if (size >= word.size() && random() % 2 == 0) {
          const std::size_t at = align + random() % (size - word.size() + 1);
          for (std::size_t k = 0; k < word.size(); ++k) {
            const bool upper = random() % 2 == 0 && word[k] >= 'a' && word[k] <= 'z';
            storage[at + k] = static_cast<char>(upper ? word[k] - ('a' - 'A') : word[k]);
          }
        }
        const std::string_view ascii(storage.data() + align, size);
        const bool expected = LowerCase(ascii).find(word) != std::string::npos;
        ASSERT_EQ(LoweredContains(ascii, word), expected)
            << '"' << ascii << "\" for \"" << word << '"';
      }
    }
  }
}

}  // namespace
}  // namespace quillora::test
