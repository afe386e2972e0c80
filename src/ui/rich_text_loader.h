// Shows an RTF file formatted in a text area.
#pragma once

#include <cstdint>
#include <span>

class QTextEdit;

namespace quillora {

// True when the bytes are an RTF file: they begin with "{\rtf".
[[nodiscard]] bool IsRichText(std::span<const std::uint8_t> bytes);

// Replaces the area's text with the RTF document in bytes. Text without a font or size of its own
// keeps the area's current font; any input, however damaged, gives some text and never fails.
void LoadRichText(QTextEdit& area, std::span<const std::uint8_t> bytes);

}  // namespace quillora
