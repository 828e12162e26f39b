#pragma once

#include <QIcon>

namespace quillon {

// The application icon in 16, 32 and 48 pixels, from the program's resources.
QIcon AppIcon();

}  // namespace quillon
