// The rows of the file list: three columns of text, each in one buffer, so
// that replacing every row or a whole column is one pass and one
// notification, and a million rows fit in a few tens of megabytes.
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <string>
#include <string_view>
#include <vector>

#include "window/text_column.h"

namespace quillon {

class FileListModel : public QAbstractTableModel {
 public:
  explicit FileListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Replaces every row: the names in the first column, the others empty.
  void SetRows(std::u16string_view directory, std::vector<std::u16string> names);
  void Clear();
  void RemoveRow(int row);
  // Removes these rows (ascending, each once); the others keep their order.
  void RemoveRows(const std::vector<int>& rows);
  void SetCell(int row, int column, std::u16string_view text);
  // texts[j] into row j, for the rows both have.
  void SetColumn(int column, std::vector<std::u16string> texts);
  // The same, taking the buffer over.
  void SetColumn(int column, NamePool texts);
  void ClearColumn(int column);
  std::u16string Cell(int row, int column) const;

 private:
  // The row's icon, looked up the first time the row is shown.
  QIcon IconOf(int row) const;
  QString MimeTypeNameOf(int row) const;

  std::u16string m_directory;
  TextColumn m_columns[3];
  // Index into m_icons per row; -1 until the row has been shown.
  mutable std::vector<int> m_iconIndex;
  mutable std::vector<QIcon> m_icons;
  mutable QHash<QString, int> m_iconByMimeType;
  QMimeDatabase m_mimeDatabase;
};

}  // namespace quillon
