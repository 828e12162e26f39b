#include "shell/drop_target.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>

#include "intake/uri_list.h"

namespace quillon {

Qt::DropAction FileDropAction(Qt::DropActions allowed) {
  // A move would let the source delete the files once we "have" them; the
  // list only takes their paths. Wayland carries no link action, so copy is
  // the harmless answer there.
  if (allowed.testFlag(Qt::LinkAction)) return Qt::LinkAction;
  if (allowed.testFlag(Qt::CopyAction)) return Qt::CopyAction;
  return Qt::IgnoreAction;
}

void CQLDropTarget::Register(QWidget* widget) {
  widget->setAcceptDrops(true);
  widget->installEventFilter(this);
}

namespace {

// The actions the drag may still settle on. The platform, not the list, has
// the last word: a Wayland compositor settles on a move when the user holds
// Shift whatever the list answered, and so do GTK sources on X11. A source
// that deletes its files after a move would lose them, so a drag proposing a
// move offers nothing here.
Qt::DropActions SettlableActions(const QDropEvent* event) {
  if (event->proposedAction() == Qt::MoveAction) return {};
  return event->possibleActions();
}

// Sets the answer on the event. The action is set explicitly and accepted
// with accept(), never acceptProposedAction(): the proposal becomes a move
// when the user holds Shift.
void Answer(QDropEvent* event, Qt::DropAction action) {
  if (action == Qt::IgnoreAction) {
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
  } else {
    event->setDropAction(action);
    event->accept();
  }
}

}  // namespace

bool CQLDropTarget::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter: {
      auto* drag = static_cast<QDragEnterEvent*>(event);
      Answer(drag, m_pWnd->CollectDroppedPaths(drag->mimeData(), SettlableActions(drag)));
      return true;
    }
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      Answer(drag, m_pWnd->AnswerDragOver(SettlableActions(drag)));
      return true;
    }
    case QEvent::DragLeave:
      m_pWnd->ForgetDrag();
      return true;
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      Answer(drop, m_pWnd->DeliverDrop(drop->mimeData(), SettlableActions(drop)));
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

CDropTargetListCtrl::CDropTargetListCtrl(QWidget* parent) : QTreeView(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);  // 100 000 rows must not be measured one by one
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setDragEnabled(false);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  // Auto-scroll keeps the current row in view while the keys move it. The
  // drop target takes every drag event before the view sees it, so a drag
  // never scrolls the list by itself.
  setAutoScroll(true);
  setAllColumnsShowFocus(true);
  header()->setSectionsClickable(false);
  header()->setSectionsMovable(false);
  // The last column takes the rest of the width: no horizontal scroll bar
  // while the columns fit.
  header()->setStretchLastSection(true);
  header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // The selection is not shown while the list lacks the focus.
  QPalette colours = palette();
  colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Base));
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Text));
  setPalette(colours);
  // The view's own drag handling would move rows; only the drop target
  // decides about drags.
  setAcceptDrops(false);
}

void CDropTargetListCtrl::initViewItemOption(QStyleOptionViewItem* option) const {
  QTreeView::initViewItemOption(option);
  // A menu opened over the list takes the focus only until it closes, and
  // acts on the selected rows: they stay marked meanwhile.
  if (QApplication::activePopupWidget() != nullptr && window()->focusWidget() == this)
    option->state |= QStyle::State_Active;
}

CDropTargetListCtrl::~CDropTargetListCtrl() {
  m_dropPaths.clear();
  if (m_pDropTarget) viewport()->removeEventFilter(m_pDropTarget.get());
}

void CDropTargetListCtrl::SetDropTarget(std::unique_ptr<CQLDropTarget> target) {
  if (m_pDropTarget) viewport()->removeEventFilter(m_pDropTarget.get());
  m_pDropTarget = std::move(target);
  if (m_pDropTarget) m_pDropTarget->Register(viewport());
}

Qt::DropAction CDropTargetListCtrl::CollectDroppedPaths(const QMimeData* data,
                                                        Qt::DropActions allowed) {
  m_dropPaths.clear();
  m_bDropReady = false;
  if (!m_bAcceptDrop || data == nullptr) return Qt::IgnoreAction;
  // The bytes themselves: the toolkit's own URL list turns a name that is not
  // valid UTF-8 into replacement characters, naming a file that does not
  // exist.
  const QByteArray list = data->data(QStringLiteral("text/uri-list"));
  m_dropPaths = ParseFileUriList(std::string_view(list.constData(), list.size()));
  if (m_dropPaths.empty()) return Qt::IgnoreAction;
  // Collected even while a move is proposed: letting go of Shift during the
  // drag makes it acceptable.
  m_bDropReady = true;
  return FileDropAction(allowed);
}

void CDropTargetListCtrl::ForgetDrag() {
  m_dropPaths.clear();
  m_bDropReady = false;
}

Qt::DropAction CDropTargetListCtrl::AnswerDragOver(Qt::DropActions allowed) {
  return m_bAcceptDrop && m_bDropReady ? FileDropAction(allowed) : Qt::IgnoreAction;
}

Qt::DropAction CDropTargetListCtrl::DeliverDrop(const QMimeData*, Qt::DropActions allowed) {
  const Qt::DropAction action = FileDropAction(allowed);
  if (!m_bAcceptDrop || !m_bDropReady || action == Qt::IgnoreAction || m_dropPaths.empty())
    return Qt::IgnoreAction;
  // The paths collected when the drag entered are delivered; the list is idle
  // again before the owner runs, so that a drag starting while the owner
  // shows a message begins from a clean state.
  std::vector<std::u16string> paths = std::move(m_dropPaths);
  m_dropPaths.clear();
  m_bDropReady = false;
  if (m_dropHandler) m_dropHandler(std::move(paths));
  return action;
}

}  // namespace quillon
