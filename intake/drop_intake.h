// Taking dropped files: a drop is accepted whole or refused whole, and its
// files join the rows in natural order.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.h"
#include "core/records.h"

namespace quillon {

struct AcceptedDrop {
  // The directory of every dropped file, and one record per path in the
  // order the source delivered them; both empty when refused.
  std::u16string directory;
  std::vector<std::shared_ptr<CFileNameX>> files;
  // Why the drop is refused, or nullopt.
  std::optional<std::u16string_view> refusal;
};

// Every path must be absolute and name something that is no directory (a
// symbolic link counts as what it is, never followed), and all of them must
// lie in one directory, the same as `listedDirectory` unless that is empty.
// Directories are compared exactly: on a file system that tells case apart,
// /photos/A and /photos/a are two directories. The paths are let go of as
// soon as they are split; `progress` is told how many have been looked at.
AcceptedDrop AcceptDrop(FileSystem& fileSystem, std::vector<std::u16string> paths,
                        std::u16string_view listedDirectory,
                        const std::function<void(std::size_t)>& progress);

struct MergedRows {
  std::vector<std::shared_ptr<CFileNameX>> rows;
  // The names of the rows changed (a file added, a row spelt anew).
  bool changed = false;
};

// Merges dropped records into the rows of `directory` in natural order,
// names that differ only in case by their code units. A row is one file:
// spellings the directory shows to be one file become one row, under the
// entry's own spelling; a dropped record replaces the row of its spelling.
MergedRows MergeDroppedFiles(FileSystem& fileSystem, std::u16string_view directory,
                             const std::vector<std::shared_ptr<CFileNameX>>& rows,
                             std::vector<std::shared_ptr<CFileNameX>> dropped);

}  // namespace quillon
