// The font documents are shown in: the stored name when that font is installed, otherwise one that
// covers Japanese, so that a settings file from Windows ("MS UI Gothic") still shows readable
// text. The stored name itself changes only when the user picks another font.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "text/byte_buffer.h"

namespace quillora {

// stored when installed; otherwise system_choice when it covers Japanese; otherwise the first font
// that does; nullopt when none does.
[[nodiscard]] std::optional<QString> ChooseShownFont(const QString& stored,
                                                     const QStringList& installed,
                                                     const QStringList& japanese,
                                                     const QString& system_choice);

// ChooseShownFont over the installed fonts, or stored itself when no font covers Japanese.
[[nodiscard]] QString ShownFontName(const Text& stored);

// The installed fonts that cover Japanese.
[[nodiscard]] QStringList JapaneseFonts();

}  // namespace quillora
