// The desktop's clipboard through Qt, as text.
#pragma once

#include "window/desktop.h"

namespace quillon {

class QtClipboard final : public Clipboard {
 public:
  bool SetText(std::u16string_view text) override;
  std::optional<std::u16string> Text() override;
  bool HasText() override;
};

}  // namespace quillon
