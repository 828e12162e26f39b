// The first stages of the check of new names, which need no listing of the
// directory: every full name must be usable, then keep its file's extension.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/file_system.h"
#include "core/records.h"

namespace quillon {

// The rows that failed the first stage that any row failed, with that
// stage's verdict and message; no rows when every name passed both.
struct NameFaults {
  std::vector<int> rows;  // ascending
  std::u16string_view verdict;
  std::u16string_view message;

  bool Found() const { return !rows.empty(); }
};

// targets[i] is row i's new name with its extension; files[i] its file.
// A name is usable when it is not empty, "." or "..", holds no control code
// and none of \ / : * ? " < > |, has an encoding on disk and fits both the
// general limit of 255 UTF-16 units and the directory's `limit`, if known.
// Its extension must then equal its file's, letter case aside.
NameFaults JudgeNewNames(std::span<const std::u16string_view> targets,
                         std::span<const std::shared_ptr<CFileNameX>> files,
                         const std::optional<NameLimit>& limit);

}  // namespace quillon
