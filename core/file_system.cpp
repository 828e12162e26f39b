#include "core/file_system.h"

#include "core/name_codec.h"

namespace quillon {

bool NameFits(const NameLimit& limit, std::u16string_view name) {
  if (name.size() > limit.maxUnits) return false;
  if (limit.maxBytes == NameLimit::kNoLimit) return true;
  return EncodedLength(name) <= limit.maxBytes;
}

}  // namespace quillon
