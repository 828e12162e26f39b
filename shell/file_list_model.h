// The file list's rows as Qt's view reads them: the window's row table
// (window/row_table.h) shown through a table model, with the icon of each
// row's file type. The model keeps no text of its own.
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <string>
#include <vector>

#include "window/row_table.h"
#include "window/window_port.h"

class QAbstractItemView;

namespace quillon {

class FileListModel : public QAbstractTableModel, public RowsView {
 public:
  // `rows` must outlive the model; `list` is the view that shows it (and
  // owns it), or nullptr.
  FileListModel(RowTable& rows, QAbstractItemView* list);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // RowsView
  void RowsChanging(const RowChange& change) override;
  void RowsChanged(const RowChange& change) override;
  void ScrollTo(int row) override;
  std::vector<int> Selection() const override;
  void Select(const std::vector<RowSpan>& runs) override;

  // The cell's text as set, not as shown.
  std::u16string Cell(int row, int column) const;

 private:
  // The row's icon, looked up the first time the row is shown.
  QIcon IconOf(int row) const;
  QString MimeTypeNameOf(int row) const;

  RowTable& m_rows;
  QAbstractItemView* m_list;
  // The icons found so far; a row's icon slot is an index into them.
  mutable std::vector<QIcon> m_icons;
  mutable QHash<QString, int> m_iconByMimeType;
  QMimeDatabase m_mimeDatabase;
};

}  // namespace quillon
