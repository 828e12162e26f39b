// Opening a file or an address with the desktop's default application.
#pragma once

#include <string_view>

namespace quillon {

class Opener {
 public:
  virtual ~Opener() = default;
  // Starts the default application for a full path or an address and does
  // not wait for it; whether it worked is not reported.
  virtual void Open(std::u16string_view pathOrAddress) = 0;
};

// Runs xdg-open with the exact bytes of the path, detached from this process.
class XdgOpener : public Opener {
 public:
  void Open(std::u16string_view pathOrAddress) override;
};

}  // namespace quillon
