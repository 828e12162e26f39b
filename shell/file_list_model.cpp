#include "shell/file_list_model.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QStyle>
#include <algorithm>

#include "core/dialog_port.h"
#include "core/erase_marked.h"
#include "core/name_codec.h"
#include "core/paths.h"
#include "core/visible_name.h"
#include "resources/strings.h"
#include "shell/qt_text.h"

namespace quillon {

namespace {

constexpr int kColumns = 3;

// The MIME type of an entry that is not a regular file, by its type alone
// (lstat: a symbolic link is not followed); empty for a regular file.
QString SpecialTypeOf(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return {};
  if (S_ISLNK(st.st_mode)) return QStringLiteral("inode/symlink");
  if (S_ISDIR(st.st_mode)) return QStringLiteral("inode/directory");
  if (S_ISFIFO(st.st_mode)) return QStringLiteral("inode/fifo");
  if (S_ISSOCK(st.st_mode)) return QStringLiteral("inode/socket");
  if (S_ISCHR(st.st_mode)) return QStringLiteral("inode/chardevice");
  if (S_ISBLK(st.st_mode)) return QStringLiteral("inode/blockdevice");
  return QStringLiteral("application/octet-stream");
}

// The first bytes of a regular file, for recognising its type by content.
// The type is read first without following a link and only a regular file
// is opened at all: opening a device node may make it act, and a FIFO or a
// link to one would block or wake its writer. The file opened must still be
// the one examined, or nothing is read.
QByteArray Head(const std::string& path, const struct stat& examined) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return {};
  QByteArray head;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == examined.st_dev &&
      st.st_ino == examined.st_ino) {
    head.resize(2048);
    const ssize_t got = ::read(fd, head.data(), static_cast<std::size_t>(head.size()));
    head.resize(got > 0 ? got : 0);
  }
  ::close(fd);
  return head;
}

}  // namespace

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_columns[0].Size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  // Shown so that no character can hide or reorder part of a name; the
  // name itself stays as it is.
  if (role == Qt::DisplayRole) return Q(VisibleName(m_columns[index.column()].At(row)));
  if (role == Qt::DecorationRole && index.column() == kOldNameColumn) return IconOf(index.row());
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kOldNameColumn:
      return Q(str::kColumnOldName);
    case kNewNameColumn:
      return Q(str::kColumnNewName);
    case kResultColumn:
      return Q(str::kColumnResult);
    default:
      return {};
  }
}

void FileListModel::SetRows(std::u16string_view directory, std::vector<std::u16string> names) {
  beginResetModel();
  m_directory = directory;
  const std::size_t count = names.size();
  m_columns[0].Assign(names, count);
  names = {};
  for (int column = 1; column < kColumns; ++column) m_columns[column].Assign({}, count);
  m_iconIndex.assign(count, -1);
  endResetModel();
}

void FileListModel::Clear() {
  SetRows(u"", {});
}

void FileListModel::RemoveRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  beginRemoveRows(QModelIndex(), row, row);
  for (auto& column : m_columns) column.Erase(static_cast<std::size_t>(row));
  m_iconIndex.erase(m_iconIndex.begin() + row);
  endRemoveRows();
}

void FileListModel::RemoveRows(const std::vector<int>& rows) {
  // Each removed block costs the view a pass over its rows; beyond a few
  // blocks one reset is cheaper than a notification per block.
  constexpr std::size_t kMostBlocks = 64;
  std::vector<std::pair<int, int>> blocks;  // first and last row, ascending
  for (int row : rows) {
    if (row < 0 || row >= rowCount()) continue;
    if (!blocks.empty() && blocks.back().second + 1 == row) {
      blocks.back().second = row;
    } else {
      blocks.emplace_back(row, row);
    }
  }
  if (blocks.empty()) return;
  std::vector<bool> doomed(m_columns[0].Size(), false);
  for (const auto& [first, last] : blocks)
    for (int row = first; row <= last; ++row) doomed[static_cast<std::size_t>(row)] = true;

  if (blocks.size() > kMostBlocks) {
    beginResetModel();
    for (auto& column : m_columns) column.EraseMarked(doomed);
    EraseMarked(m_iconIndex, doomed);
    endResetModel();
    return;
  }
  // From the last block to the first, so that earlier rows keep their
  // numbers while the view is told of each block.
  for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
    const auto first = static_cast<std::ptrdiff_t>(it->first);
    const auto end = static_cast<std::ptrdiff_t>(it->second) + 1;
    beginRemoveRows(QModelIndex(), it->first, it->second);
    for (auto& column : m_columns)
      column.EraseRange(static_cast<std::size_t>(first), static_cast<std::size_t>(end));
    m_iconIndex.erase(m_iconIndex.begin() + first, m_iconIndex.begin() + end);
    endRemoveRows();
  }
}

void FileListModel::SetCell(int row, int column, std::u16string_view text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns) return;
  m_columns[column].Set(static_cast<std::size_t>(row), text);
  const QModelIndex cell = index(row, column);
  emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void FileListModel::SetColumn(int column, std::vector<std::u16string> texts) {
  if (column < 0 || column >= kColumns || rowCount() == 0) return;
  // A shorter list of texts fills the first rows.
  m_columns[column].Assign(texts, m_columns[column].Size());
  emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::DisplayRole});
}

void FileListModel::SetColumn(int column, NamePool texts) {
  if (column < 0 || column >= kColumns || rowCount() == 0) return;
  m_columns[column].Take(std::move(texts), m_columns[column].Size());
  emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::DisplayRole});
}

void FileListModel::ClearColumn(int column) {
  if (column < 0 || column >= kColumns || rowCount() == 0) return;
  m_columns[column].ClearTexts();
  emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::DisplayRole});
}

std::u16string FileListModel::Cell(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns) return {};
  return std::u16string(m_columns[column].At(static_cast<std::size_t>(row)));
}

QString FileListModel::MimeTypeNameOf(int row) const {
  const std::u16string_view name = m_columns[0].At(static_cast<std::size_t>(row));
  // The name alone first: it needs no disk access, and it is only ever
  // compared as text, so a name that is not valid UTF-8 does no harm.
  QMimeType type = m_mimeDatabase.mimeTypeForFile(Q(name), QMimeDatabase::MatchExtension);
  if (type.isDefault()) {
    const std::optional<std::string> path = EncodePath(JoinPath(m_directory, name));
    struct stat st;
    if (!path || ::lstat(path->c_str(), &st) != 0) return type.name();
    if (const QString special = SpecialTypeOf(st); !special.isEmpty()) return special;
    const QByteArray head = Head(*path, st);
    if (!head.isEmpty()) type = m_mimeDatabase.mimeTypeForData(head);
  }
  return type.name();
}

QIcon FileListModel::IconOf(int row) const {
  int& slot = m_iconIndex[static_cast<std::size_t>(row)];
  if (slot >= 0) return m_icons[static_cast<std::size_t>(slot)];
  const QString mimeTypeName = MimeTypeNameOf(row);
  const auto known = m_iconByMimeType.constFind(mimeTypeName);
  if (known != m_iconByMimeType.constEnd()) {
    slot = known.value();
  } else {
    const QMimeType type = m_mimeDatabase.mimeTypeForName(mimeTypeName);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    slot = static_cast<int>(m_icons.size());
    m_icons.push_back(icon);
    m_iconByMimeType.insert(mimeTypeName, slot);
  }
  return m_icons[static_cast<std::size_t>(slot)];
}

}  // namespace quillon
