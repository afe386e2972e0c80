// The decode types: what the Decode menu, the options dialog, the batch run and quillora-convert
// call each conversion a person chooses, and the conversion mode that runs it. One row each.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillora {

struct DecodeType {
  std::int16_t mode;                   // the conversion mode that runs it, unless whole_mail
  bool whole_mail;                     // the whole-mail reader runs it instead
  std::string_view command_name;       // quillora-convert's name for the mode or command
  std::u16string_view name;            // the options dialog's entry
  std::u16string_view menu_caption;    // the Decode menu's item, with its access key
  std::u16string_view caption_suffix;  // ends a result window's caption
};

// Indexed by decode type, as the settings file stores it. Settings holding 0 to 4 keep their
// meaning; the whole mail came after them.
inline constexpr std::array<DecodeType, 6> kDecodeTypes{{
    {1, false, "jis", u"JIS → ShiftJIS", u"JIS → ShiftJIS(&J)", u" (JIS→ShiftJIS)"},
    {8, false, "euc", u"EUC → ShiftJIS", u"EUC → ShiftJIS(&E)", u" (EUC→ShiftJIS)"},
    {10, false, "uuencode", u"UUENCODE → ShiftJIS", u"UUENCODE → ShiftJIS(&U)",
     u" (UUENCODE→ShiftJIS)"},
    {9, false, "base64", u"MIME(BASE64) → ShiftJIS", u"MIME(BASE64) → ShiftJIS(&M)",
     u" (BASE64→ShiftJIS)"},
    // Its access key is the one before it, as the menu has always had it.
    {11, false, "utf16", u"UNICODE → ShiftJIS", u"UNICODE → ShiftJIS(&M)", u" (UNICODE→ShiftJIS)"},
    {0, true, "mail", u"ﾒｰﾙ全体 → ShiftJIS", u"ﾒｰﾙ全体 → ShiftJIS(&A)", u" (ﾒｰﾙ全体→ShiftJIS)"},
}};

inline constexpr int kDecodeTypeCount = static_cast<int>(kDecodeTypes.size());

// The row of a decode type; nullopt outside the table.
[[nodiscard]] constexpr std::optional<DecodeType> DecodeTypeAt(int index) noexcept {
  if (index < 0 || index >= kDecodeTypeCount) {
    return std::nullopt;
  }
  return kDecodeTypes[static_cast<std::size_t>(index)];
}

// The conversion mode quillora-convert knows by this name ("mail" is a command of its own).
[[nodiscard]] constexpr std::optional<std::int16_t> ModeNamed(std::string_view name) noexcept {
  for (const DecodeType& type : kDecodeTypes) {
    if (!type.whole_mail && type.command_name == name) {
      return type.mode;
    }
  }
  return std::nullopt;
}

}  // namespace quillora
