// The natural order of the rows: digit runs by value, text runs by the
// collation of CompareNames.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/collation.h"
#include "core/records.h"

namespace quillon {

// -1, 0 or +1. 0 exactly when both names have the same runs: digit runs
// identical, text runs the same name under CompareNames.
int CompareFileNames(const CFileNameX& x, const CFileNameX& y);

// A key whose bytewise order is CompareFileNames' order (under the given
// collator); equal keys exactly when CompareFileNames gives 0. Sorting many
// names by keys calls the collator once per run instead of once per
// comparison.
std::string FileNameKey(const CFileNameX& x,
                        const NameCollator& collator = NameCollator::Default());
// The same key, appended to `key`; keys are prefix-free, so many of them can
// share one buffer.
void AppendFileNameKey(const CFileNameX& x, const NameCollator& collator, std::string* key);

// The permutation that puts `files` in natural order, names that differ
// only in case by their code units: file result[i] goes to row i.
std::vector<std::size_t> NaturalOrder(const std::vector<std::shared_ptr<CFileNameX>>& files);

}  // namespace quillon
