// A dialog over a directory of the memory file system, which counts moves
// and injects faults.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "resources/strings.h"
#include "tests/fake_dialog.h"
#include "tests/support/memory_file_system.h"

namespace quillon::testing {

inline const std::u16string kOk = str::kResultOk;
inline const std::u16string kCannot = std::u16string(str::kFailurePrefix) + str::kCannotRename;
inline std::u16string StoredUnder(std::string_view temporary) {
  return kCannot + U(temporary) + str::kStoredUnder;
}

class EngineTest : public ::testing::Test {
 protected:
  // Creates the files (each holding its own name) and lists them as rows.
  void List(const std::vector<std::string>& names) {
    std::vector<std::shared_ptr<CFileNameX>> files;
    for (const auto& name : names) {
      m_dir.Write(name);
      files.push_back(std::make_shared<CFileNameX>(U(name)));
    }
    m_dlg.ListRows(FileRows(m_dir.Path(), std::move(files)));
  }

  // Runs the engine on a plan of byte names, row by row.
  bool Run(const std::vector<std::pair<std::string, std::string>>& plan) {
    std::vector<std::u16string> sources;
    std::vector<std::u16string> targets;
    for (const auto& [from, to] : plan) {
      sources.push_back(U(from));
      targets.push_back(U(to));
    }
    return m_dlg.RunRenames(sources, targets, &m_current);
  }

  // Lists the old names and sets the new ones, ready for OnExecute.
  void Plan(const std::vector<std::pair<std::string, std::string>>& plan) {
    std::vector<std::string> olds;
    for (const auto& [from, to] : plan) olds.push_back(from);
    std::vector<std::shared_ptr<CFileNameX>> files;
    std::vector<std::u16string> newNames;
    for (const auto& [from, to] : plan) {
      m_dir.Write(from);
      files.push_back(std::make_shared<CFileNameX>(U(from)));
      const std::u16string target = U(to);
      newNames.push_back(target.substr(0, target.size() - files.back()->m_ext.size()));
    }
    FileRows rows(m_dir.Path(), std::move(files));
    rows.SetNewNames(std::move(newNames));
    m_dlg.ListRows(std::move(rows));
  }

  std::vector<std::u16string> Results() const { return m_dialog.Column(kResultColumn); }
  std::vector<std::u16string> Names(const std::vector<std::string>& names) const {
    std::vector<std::u16string> result;
    for (const auto& name : names) result.push_back(U(name));
    return result;
  }
  std::vector<std::u16string> AllOk(std::size_t rows) const {
    return std::vector<std::u16string>(rows, kOk);
  }
  // Moves the port was asked for, as "from>to", failed ones marked "!".
  std::vector<std::u16string> MoveLog() const {
    std::vector<std::u16string> log;
    for (const auto& call : m_fs.moves)
      log.push_back(call.from + u">" + call.to + (call.result == MoveResult::kMoved ? u"" : u"!"));
    return log;
  }

  MemoryFileSystem m_fs;
  MemoryDir m_dir{m_fs};
  FakeDialog m_dialog;
  CQuillonDlg m_dlg{m_fs, m_dialog};
  // Where Run() left each file.
  std::vector<std::u16string> m_current;
};

}  // namespace quillon::testing
