// Opening a file or an address with the desktop's default application, on
// Linux.
#pragma once

#include <string_view>

#include "window/desktop.h"

namespace quillon {

// Runs xdg-open with the exact bytes of the path, detached from this process.
class XdgOpener : public Opener {
 public:
  void Open(std::u16string_view pathOrAddress) override;
};

}  // namespace quillon
