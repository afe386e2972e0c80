// Shows an RTF file formatted in a text area.
#pragma once

#include <cstdint>
#include <span>

class QTextDocument;

namespace quillora {

// True when the bytes are an RTF file: they begin with "{\rtf".
[[nodiscard]] bool IsRichText(std::span<const std::uint8_t> bytes);

// Replaces the document's text with the RTF document in bytes. Text without a font or size of its
// own takes the document's default font; any input, however damaged, gives some text and never
// fails.
void LoadRichText(QTextDocument& shown, std::span<const std::uint8_t> bytes);

}  // namespace quillora
