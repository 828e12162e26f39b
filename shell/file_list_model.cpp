#include "shell/file_list_model.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QStyle>

#include "core/name_codec.h"
#include "core/paths.h"
#include "core/visible_name.h"
#include "dialog/dialog_port.h"
#include "shell/qt_text.h"

namespace quillon {

namespace {

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

FileListModel::FileListModel(RowTable& rows, QAbstractItemView* list)
    : QAbstractTableModel(list), m_rows(rows), m_list(list) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_rows.RowCount();
}

int FileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : window::kColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !m_rows.HasRow(index.row())) return {};
  // Shown so that no character can hide or reorder part of a name; the
  // name itself stays as it is.
  if (role == Qt::DisplayRole) return Q(VisibleName(m_rows.Cell(index.row(), index.column())));
  if (role == Qt::DecorationRole && index.column() == kOldNameColumn) return IconOf(index.row());
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !RowTable::HasColumn(section))
    return {};
  return Q(window::kColumnTitles[static_cast<std::size_t>(section)]);
}

void FileListModel::RowsChanging(const RowChange& change) {
  switch (change.kind) {
    case RowChange::Kind::kReplaced:
    case RowChange::Kind::kRemovedScattered:
      beginResetModel();
      return;
    case RowChange::Kind::kRemoved:
      beginRemoveRows(QModelIndex(), change.rows.first, change.rows.last);
      return;
    case RowChange::Kind::kCells:
      return;
  }
}

void FileListModel::RowsChanged(const RowChange& change) {
  switch (change.kind) {
    case RowChange::Kind::kReplaced:
    case RowChange::Kind::kRemovedScattered:
      endResetModel();
      return;
    case RowChange::Kind::kRemoved:
      endRemoveRows();
      return;
    case RowChange::Kind::kCells:
      emit dataChanged(index(change.rows.first, change.column),
                       index(change.rows.last, change.column), {Qt::DisplayRole});
      return;
  }
}

void FileListModel::ScrollTo(int row) {
  if (m_list != nullptr) m_list->scrollTo(index(row, 0));
}

std::vector<int> FileListModel::Selection() const {
  std::vector<int> rows;
  if (m_list == nullptr) return rows;
  const QModelIndexList selected = m_list->selectionModel()->selectedRows();
  rows.reserve(static_cast<std::size_t>(selected.size()));
  for (const QModelIndex& index : selected) rows.push_back(index.row());
  return rows;
}

void FileListModel::Select(const std::vector<RowSpan>& runs) {
  if (m_list == nullptr) return;
  QItemSelection selection;
  for (const RowSpan& run : runs)
    selection.select(index(run.first, 0), index(run.last, window::kColumnCount - 1));
  QItemSelectionModel* model = m_list->selectionModel();
  model->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (runs.empty()) return;
  // The cursor follows the rows, so that the arrow keys go on from them.
  const QModelIndex first = index(runs.front().first, 0);
  model->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
  m_list->scrollTo(first);
}

std::u16string FileListModel::Cell(int row, int column) const {
  return std::u16string(m_rows.Cell(row, column));
}

QString FileListModel::MimeTypeNameOf(int row) const {
  const std::u16string_view name = m_rows.Cell(row, kOldNameColumn);
  // The name alone first: it needs no disk access, and it is only ever
  // compared as text, so a name that is not valid UTF-8 does no harm.
  QMimeType type = m_mimeDatabase.mimeTypeForFile(Q(name), QMimeDatabase::MatchExtension);
  if (type.isDefault()) {
    const std::optional<std::string> path = EncodePath(JoinPath(m_rows.Directory(), name));
    struct stat st;
    if (!path || ::lstat(path->c_str(), &st) != 0) return type.name();
    if (const QString special = SpecialTypeOf(st); !special.isEmpty()) return special;
    const QByteArray head = Head(*path, st);
    if (!head.isEmpty()) type = m_mimeDatabase.mimeTypeForData(head);
  }
  return type.name();
}

QIcon FileListModel::IconOf(int row) const {
  int slot = m_rows.IconSlot(row);
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
  m_rows.SetIconSlot(row, slot);
  return m_icons[static_cast<std::size_t>(slot)];
}

}  // namespace quillon
