// The program's own picture: a letter with a quill, for the window icon and the wait banner.
#pragma once

#include <QPixmap>

namespace quillora {

// Painted at size x size pixels.
[[nodiscard]] QPixmap ProgramPicture(int size);

}  // namespace quillora
