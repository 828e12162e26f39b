#include "core/paths.h"

namespace quillon {

SplitName SplitExtension(std::u16string_view name) {
  const std::size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos) return {std::u16string(name), {}};
  return {std::u16string(name.substr(0, dot)), std::u16string(name.substr(dot))};
}

}  // namespace quillon
