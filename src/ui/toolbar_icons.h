// The toolbar's 16 x 16 pictures, painted for this program.
#pragma once

#include <QIcon>
#include <QStringView>

namespace quillora {

// The picture for a toolbar key ("Exit", "Open", "Save", "Print", "Decode"); an empty icon for any
// other key.
[[nodiscard]] QIcon ToolbarIcon(QStringView key);

}  // namespace quillora
