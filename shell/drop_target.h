// The file list as a drop target: it collects the paths of files dragged over
// it and hands them to its owner on the drop. The dragged files are never
// touched: the list answers with the link action (or copy where the source
// or the platform has no link), never with the move action.
#pragma once

#include <QObject>
#include <QTreeView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMimeData;

namespace quillon {

// The answer to a drag that carries files: link where the source allows it,
// otherwise copy; IgnoreAction when the source allows neither. Never move.
Qt::DropAction FileDropAction(Qt::DropActions allowed);

// What a window must do to receive drag events through a CQLDropTarget.
class CQLDropTargetWnd {
 public:
  virtual ~CQLDropTargetWnd() = default;
  // A drag entered: collect its paths afresh; the answer (IgnoreAction: none).
  virtual Qt::DropAction CollectDroppedPaths(const QMimeData* data, Qt::DropActions allowed) = 0;
  // The drag left: forget its paths.
  virtual void ForgetDrag() = 0;
  virtual Qt::DropAction AnswerDragOver(Qt::DropActions allowed) = 0;
  // The drop: hand the collected paths to the owner and wait for it.
  virtual Qt::DropAction DeliverDrop(const QMimeData* data, Qt::DropActions allowed) = 0;
};

// Receives the drag events of one widget and forwards them to a
// CQLDropTargetWnd; nothing else of the widget sees them.
class CQLDropTarget : public QObject {
 public:
  explicit CQLDropTarget(CQLDropTargetWnd* wnd) : m_pWnd(wnd) {}
  // Starts receiving the drag events of `widget`.
  void Register(QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CQLDropTargetWnd* m_pWnd;  // not owned
};

// The report-style file list. Several rows may be selected, whole rows are
// selected, and the column headers do not sort.
class CDropTargetListCtrl : public QTreeView, public CQLDropTargetWnd {
 public:
  // Called synchronously with the paths of a drop, in the source's order.
  // The handler owns the paths and may let go of them early.
  using DropHandler = std::function<void(std::vector<std::u16string> paths)>;

  explicit CDropTargetListCtrl(QWidget* parent = nullptr);
  ~CDropTargetListCtrl() override;

  // Takes ownership of the drop target (replacing any earlier one) and
  // registers it for the list's drag events.
  void SetDropTarget(std::unique_ptr<CQLDropTarget> target);
  void SetDropHandler(DropHandler handler) { m_dropHandler = std::move(handler); }
  // While false, every drag shows no effect and nothing is collected.
  void SetAcceptDrop(bool accept) { m_bAcceptDrop = accept; }
  bool AcceptsDrop() const { return m_bAcceptDrop; }

  Qt::DropAction CollectDroppedPaths(const QMimeData* data, Qt::DropActions allowed) override;
  void ForgetDrag() override;
  Qt::DropAction AnswerDragOver(Qt::DropActions allowed) override;
  Qt::DropAction DeliverDrop(const QMimeData* data, Qt::DropActions allowed) override;

 protected:
  void initViewItemOption(QStyleOptionViewItem* option) const override;

 private:
  std::unique_ptr<CQLDropTarget> m_pDropTarget;
  bool m_bDropReady = false;
  bool m_bAcceptDrop = false;
  std::vector<std::u16string> m_dropPaths;
  DropHandler m_dropHandler;
};

}  // namespace quillon
