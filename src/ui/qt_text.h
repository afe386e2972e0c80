// The engine's wide text and Qt's strings are both UTF-16: converting is a copy, never a decode.
#pragma once

#include <QString>
#include <string_view>

#include "text/byte_buffer.h"

namespace quillora {

[[nodiscard]] inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

[[nodiscard]] inline Text ToText(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.constData()),
          static_cast<std::size_t>(text.size())};
}

}  // namespace quillora
