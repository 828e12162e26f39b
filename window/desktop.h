// What the desktop offers a window besides drawing: the clipboard, as text,
// and the default application for a file or an address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Replaces the clipboard's content by the text; false when the clipboard
  // did not take it.
  virtual bool SetText(std::u16string_view text) = 0;
  // nullopt when the clipboard holds no text.
  virtual std::optional<std::u16string> Text() = 0;
  virtual bool HasText() = 0;
};

class Opener {
 public:
  virtual ~Opener() = default;
  // Starts the default application for a full path or an address and does
  // not wait for it; whether it worked is not reported.
  virtual void Open(std::u16string_view pathOrAddress) = 0;
};

}  // namespace quillon
