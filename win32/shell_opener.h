// Opening a file or an address with the program Windows associates with it.
#pragma once

#include "window/desktop.h"

namespace quillon {

// ShellExecuteW's default verb; whether it worked is not examined.
class ShellOpener final : public Opener {
 public:
  void Open(std::u16string_view pathOrAddress) override;
};

}  // namespace quillon
