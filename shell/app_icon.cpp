#include "shell/app_icon.h"

namespace quillon {

QIcon AppIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/quillon-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/quillon-32.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/icons/quillon-48.png"), QSize(48, 48));
  return icon;
}

}  // namespace quillon
