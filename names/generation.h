// Sequence generation: the typed name's last run of half-width digits counts
// up by one per row.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// `count` names from `typed`: the first is `typed` itself, each next one
// counts its last run of half-width digits up by one, keeping its width
// (leading zeros) and growing by a digit only when every digit rolls over,
// without bound. nullopt when `typed` holds no half-width digit.
std::optional<std::vector<std::u16string>> GenerateSequence(std::u16string_view typed,
                                                            std::size_t count);

}  // namespace quillon
