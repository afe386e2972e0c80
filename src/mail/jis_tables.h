// Lookup tables of the Japanese character sets, built once on first use.
#pragma once

#include <cstdint>

namespace quillora::mail {

// A Shift_JIS (code page 932) lead and trail byte pair; 0 where the pair is no character.
[[nodiscard]] char16_t SjisPairToUnicode(std::uint8_t lead, std::uint8_t trail);

// JIS X 0208 row and cell (0-93 each) as Windows reads them (NEC row 13, the NEC-selected IBM
// extensions in rows 89-92); 0 where nothing is assigned.
[[nodiscard]] char16_t Jis0208ToUnicode(unsigned row, unsigned cell);

// JIS X 0212 row and cell (0-93 each), from ICU's EUC-JP tables; 0 where nothing is assigned.
[[nodiscard]] char16_t Jis0212ToUnicode(unsigned row, unsigned cell);

// Whether code page 932 holds the character (encodes it as something other than "?").
[[nodiscard]] bool Cp932Holds(char16_t c);

}  // namespace quillora::mail
