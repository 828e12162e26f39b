#include "shell/quillon_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "core/visible_name.h"
#include "intake/drop_target_qt.h"
#include "resources/menus.h"
#include "resources/strings.h"
#include "resources/templates.h"
#include "shell/about_dlg.h"
#include "shell/app_icon.h"
#include "shell/dialog_font.h"
#include "shell/file_list_model.h"
#include "shell/qt_text.h"
#include "shell/retry_dialog.h"

namespace quillon {

namespace {

constexpr int kColumnWidthUnits = 120;

// What a user can do to a window: none of it reaches the window while work
// runs. Paint, resize and timer events still do, so the window keeps
// repainting.
bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

// What a screen reader says for a control whose label is an instruction of
// several lines, or none at all: a short name, and the instruction as the
// description that is read after it.
struct AccessibleText {
  ControlId id;
  const char16_t* name;
  const char16_t* description;  // nullptr: none
};
constexpr AccessibleText kAccessibleTexts[] = {
    {ControlId::kFileList, str::kFileListName, str::kDropInstruction},
    {ControlId::kNameField, str::kNameFieldName, str::kNameInstruction},
    {ControlId::kDirectoryField, str::kDirectoryLabel, nullptr},
    {ControlId::kExecute, str::kExecuteButton, str::kExecuteHint},
    {ControlId::kUndo, str::kUndoButton, str::kUndoHint},
};

// The window is a plain widget, so that neither Enter nor Esc closes it; to a
// screen reader it is announced as the dialog it is.
QAccessibleInterface* AccessibleMainWindow(const QString&, QObject* object) {
  auto* window = dynamic_cast<QuillonWindow*>(object);
  return window == nullptr ? nullptr : new QAccessibleWidget(window, QAccessible::Dialog);
}

}  // namespace

// Watches every event of the application while work runs and refuses the
// user's input; a message box shown meanwhile clears `refuse` for as long as
// it asks.
class InputRefusal : public QObject {
 public:
  InputRefusal(const bool& refuse, QObject* parent) : QObject(parent), m_refuse(refuse) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Closing the window or its progress would not stop the work, only hide
    // it.
    const auto* widget = qobject_cast<QWidget*>(watched);
    const bool closing = event->type() == QEvent::Close && widget != nullptr &&
                         (widget == parent() || widget->parentWidget() == parent());
    if (m_refuse && (closing || IsUserInput(event->type()))) {
      event->ignore();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const bool& m_refuse;
};

namespace {

// Lets a message box or the retry dialog, shown in the middle of long work,
// take the user's answer.
class InputAllowed {
 public:
  explicit InputAllowed(bool& refuse) : m_refuse(refuse), m_was(refuse) { m_refuse = false; }
  ~InputAllowed() { m_refuse = m_was; }
  InputAllowed(const InputAllowed&) = delete;
  InputAllowed& operator=(const InputAllowed&) = delete;

 private:
  bool& m_refuse;
  bool m_was;
};

}  // namespace

QuillonWindow::QuillonWindow(Opener& opener, QWidget* parent) : QWidget(parent), m_opener(opener) {
  setWindowTitle(Q(str::kAppTitle));
  setWindowIcon(AppIcon());
  setFont(DialogFont(templates::kMainDialog.fontPoints));
  m_units = FittingDialogUnits(font(), templates::kMainDialogItems);

  CreateControls();
  m_dlg = std::make_unique<CQuillonDlg>(m_fileSystem, *this, &m_journals);

  m_initialSize =
      ToQRect(m_units.Map(0, 0, templates::kMainDialog.width, templates::kMainDialog.height))
          .size();
  resize(m_initialSize);
  setMinimumSize(m_initialSize);
  m_layout.Record(m_initialSize.width(), m_initialSize.height(),
                  [this](int id) { return ControlRect(id); });

  // 120 horizontal dialog units: thirty times the average character width.
  // The last column takes what is left, so that no scroll bar appears while
  // the columns fit.
  const int columnWidth = m_units.X(kColumnWidthUnits);
  for (int column = 0; column < 2; ++column) m_fileList->setColumnWidth(column, columnWidth);

  m_fileList->SetDropTarget(std::make_unique<CQLDropTarget>(m_fileList));
  m_fileList->SetDropHandler([this](std::vector<std::u16string> paths) {
    m_deliveringDrop = true;
    m_dlg->OnFilesDropped(std::move(paths));
    m_deliveringDrop = false;
  });

  ConnectHandlers();
  static const bool accessibleAsDialog = [] {
    QAccessible::installFactory(AccessibleMainWindow);
    return true;
  }();
  (void)accessibleAsDialog;
  for (const AccessibleText& text : kAccessibleTexts) {
    QWidget* control = Control(static_cast<int>(text.id));
    control->setAccessibleName(Q(text.name));
    if (text.description != nullptr)
      control->setAccessibleDescription(DisplayText(text.description));
  }
  m_dlg->UpdateControls();
  m_fileList->setFocus();
}

QuillonWindow::~QuillonWindow() = default;

void QuillonWindow::CreateControls() {
  using templates::ItemKind;
  for (const templates::DialogItem& item : templates::kMainDialogItems) {
    QWidget* widget = nullptr;
    switch (item.kind) {
      case ItemKind::kStatic: {
        auto* label = new QLabel(DisplayText(item.text), this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
      }
      case ItemKind::kListView: {
        m_fileList = new CDropTargetListCtrl(this);
        m_model = new FileListModel(m_fileList);
        m_fileList->setModel(m_model);
        m_fileList->setIconSize(QSize(16, 16));
        // The list has a menu of its own; a right click on it never reaches
        // the window's background menu.
        m_fileList->setContextMenuPolicy(Qt::CustomContextMenu);
        widget = m_fileList;
        break;
      }
      case ItemKind::kEdit: {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(item.readOnly);
        // Dragged files belong to the list; an edit would paste their URIs.
        edit->setAcceptDrops(false);
        if (item.readOnly) {
          m_directoryEdit = edit;
        } else {
          m_nameEdit = edit;
        }
        widget = edit;
        break;
      }
      case ItemKind::kButton: {
        auto* button = new QPushButton(Q(item.text), this);
        // Enter clicks a focused button; none is the default button, so Enter
        // elsewhere never presses one.
        button->setAutoDefault(true);
        widget = button;
        break;
      }
      default:
        continue;
    }
    widget->setGeometry(ToQRect(m_units.Map(item.x, item.y, item.width, item.height)));
    if (item.id != templates::kNoId) {
      widget->setObjectName(QStringLiteral("control%1").arg(item.id));
      m_controls[item.id] = widget;
    }
  }
}

void QuillonWindow::ConnectHandlers() {
  const auto button = [this](ControlId id) {
    return static_cast<QPushButton*>(m_controls.at(static_cast<int>(id)));
  };
  connect(button(ControlId::kExecute), &QPushButton::clicked, this, [this] { m_dlg->OnExecute(); });
  connect(button(ControlId::kUndo), &QPushButton::clicked, this, [this] { m_dlg->OnUndo(); });
  connect(button(ControlId::kGenerate), &QPushButton::clicked, this,
          [this] { m_dlg->GenerateNames(); });
  connect(button(ControlId::kReset), &QPushButton::clicked, this, [this] { m_dlg->ResetList(); });
  connect(button(ControlId::kRefresh), &QPushButton::clicked, this,
          [this] { m_dlg->RefreshList(); });
  connect(m_nameEdit, &QLineEdit::textChanged, this, [this] { m_dlg->UpdateControls(); });
  // Enter goes to the logic with the place it was pressed in; the window is
  // no dialog, so neither Enter nor Esc closes it.
  connect(m_nameEdit, &QLineEdit::returnPressed, this,
          [this] { m_dlg->OnOK(FocusArea::kNameField); });
  connect(m_fileList, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowRowMenu(at); });
  connect(m_fileList, &QAbstractItemView::doubleClicked, this,
          [this] { m_dlg->OpenSelectedFiles(); });
  m_fileList->installEventFilter(this);
  m_directoryEdit->installEventFilter(this);

  auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(refresh, &QShortcut::activated, this, [this] { m_dlg->RefreshList(); });
  auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(about, &QShortcut::activated, this, [this] { ShowAbout(); });
}

QWidget* QuillonWindow::Control(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

std::optional<LayoutRect> QuillonWindow::ControlRect(int id) const {
  const QWidget* widget = Control(id);
  if (widget == nullptr) return std::nullopt;
  return FromQRect(widget->geometry());
}

void QuillonWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const bool moved = m_layout.OnSize(
      width(), height(), [this](int id) { return ControlRect(id); },
      [this](int id, const LayoutRect& rect) {
        // A stretched control's far edge lies before its near edge while
        // the window is minimised; Qt keeps the near edge and shows nothing.
        Control(id)->setGeometry(ToQRect(rect));
      });
  if (moved) update();
}

void QuillonWindow::contextMenuEvent(QContextMenuEvent* event) {
  // The window manager owns the window menu on Linux, so the About item
  // lives in the menu of the dialog's background.
  QMenu menu(this);
  QAction* about = menu.addAction(Q(str::kAboutMenuItem));
  connect(about, &QAction::triggered, this, [this] { ShowAbout(); });
  menu.exec(event->globalPos());
}

bool QuillonWindow::eventFilter(QObject* watched, QEvent* event) {
  // The menu asked for from the keyboard (the Menu key) opens at the current
  // row rather than at the mouse, wherever that is.
  if (event->type() == QEvent::ContextMenu && watched == m_fileList &&
      static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
    ShowRowMenuAtCurrentRow();
    return true;
  }
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const auto* press = static_cast<QKeyEvent*>(event);
  const int key = press->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    m_dlg->OnOK(FocusAreaOf(watched));
    return true;
  }
  if (watched != m_fileList) return QWidget::eventFilter(watched, event);
  if (key == Qt::Key_Delete) {
    m_dlg->DeleteSelectedRows();
    return true;
  }
  // Shift+F10 is the other keyboard way to a context menu on the desktops.
  if (key == Qt::Key_F10 && press->modifiers() == Qt::ShiftModifier) {
    ShowRowMenuAtCurrentRow();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void QuillonWindow::ShowRowMenuAtCurrentRow() {
  const QRect row = m_fileList->visualRect(m_fileList->currentIndex());
  ShowRowMenu(row.isValid() ? row.bottomLeft() : QPoint(0, 0));
}

FocusArea QuillonWindow::FocusAreaOf(const QObject* widget) const {
  if (widget == m_nameEdit) return FocusArea::kNameField;
  if (widget == m_fileList) return FocusArea::kFileList;
  return FocusArea::kOther;
}

void QuillonWindow::ShowRowMenu(const QPoint& atViewport) {
  QMenu menu(this);
  const bool clipboardHasText = HasClipboardText();
  const bool rowsSelected = m_fileList->selectionModel()->hasSelection();
  std::map<QAction*, MenuCommand> commands;
  for (const menus::MenuItem& item : menus::kRowMenu) {
    if (!item.command) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(Q(item.text));
    action->setEnabled(m_dlg->IsMenuCommandEnabled(*item.command, clipboardHasText, rowsSelected));
    commands.emplace(action, *item.command);
  }
  QAction* chosen = menu.exec(m_fileList->viewport()->mapToGlobal(atViewport));
  if (chosen != nullptr) m_dlg->OnMenuCommand(commands.at(chosen));
}

void QuillonWindow::ShowAbout() {
  CAboutDlg about(*this, this);
  about.exec();
}

void QuillonWindow::DropFiles(const std::vector<std::u16string>& paths) {
  if (!paths.empty() && m_fileList->AcceptsDrop()) m_dlg->OnFilesDropped(paths);
}

namespace {

// A message box as every dialog of the program: Japanese button texts
// whatever Qt's own translations say, and a fixed size without minimise and
// maximise buttons.
void PrepareMessageBox(QMessageBox& box) {
  box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                     Qt::WindowCloseButtonHint);
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setText(Q(str::kOkButton));
  if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
    cancel->setText(Q(str::kCancelButton));
}

}  // namespace

void QuillonWindow::ShowMessage(std::u16string_view text) {
  // Inside the drop the source's drag is still running, and its drag icon
  // would cover the box until OK is pressed; the box waits until the drop
  // has been answered and the drag has ended. The drop's outcome is already
  // settled by then.
  if (m_deliveringDrop) {
    QTimer::singleShot(0, this, [this, message = std::u16string(text)] { ShowMessage(message); });
    return;
  }
  InputAllowed allowed(m_refuseInput);
  QMessageBox box(QMessageBox::Warning, Q(str::kAppTitle), DisplayText(text), QMessageBox::Ok,
                  this);
  PrepareMessageBox(box);
  box.exec();
}

bool QuillonWindow::AskOkCancel(std::u16string_view text) {
  InputAllowed allowed(m_refuseInput);
  QMessageBox box(QMessageBox::Warning, Q(str::kAppTitle), DisplayText(text),
                  QMessageBox::Ok | QMessageBox::Cancel, this);
  PrepareMessageBox(box);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok;
}

DialogPort::RecoveryChoice QuillonWindow::AskRecovery(std::u16string_view text) {
  InputAllowed allowed(m_refuseInput);
  QMessageBox box(QMessageBox::Warning, Q(str::kAppTitle), DisplayText(text), QMessageBox::NoButton,
                  this);
  PrepareMessageBox(box);
  QPushButton* finish = box.addButton(Q(str::kRecoveryFinish), QMessageBox::AcceptRole);
  QPushButton* restore = box.addButton(Q(str::kRecoveryRestore), QMessageBox::DestructiveRole);
  QPushButton* later = box.addButton(Q(str::kRecoveryLater), QMessageBox::RejectRole);
  box.setDefaultButton(finish);
  box.setEscapeButton(later);
  box.exec();
  if (box.clickedButton() == finish) return RecoveryChoice::kFinish;
  if (box.clickedButton() == restore) return RecoveryChoice::kRestore;
  return RecoveryChoice::kLater;
}

void QuillonWindow::ShowRetryDialog(std::u16string_view message) {
  InputAllowed allowed(m_refuseInput);
  CRetryDialog retry(message, this);
  retry.exec();
}

void QuillonWindow::SetDirectoryText(std::u16string_view text) {
  m_directoryEdit->setText(Q(VisibleName(text)));
  m_directoryEdit->setCursorPosition(0);
}

void QuillonWindow::SetRows(std::u16string_view directory, std::vector<std::u16string> names) {
  m_model->SetRows(directory, std::move(names));
}

void QuillonWindow::DeleteAllRows() {
  m_model->Clear();
}
void QuillonWindow::DeleteRow(int row) {
  m_model->RemoveRow(row);
}

void QuillonWindow::DeleteRows(const std::vector<int>& rows) {
  m_model->RemoveRows(rows);
}

void QuillonWindow::EnsureRowVisible(int row) {
  const QModelIndex index = m_model->index(row, 0);
  if (index.isValid()) m_fileList->scrollTo(index);
}

void QuillonWindow::SetCellText(int row, int column, std::u16string_view text) {
  m_model->SetCell(row, column, text);
}

void QuillonWindow::SetColumnTexts(int column, std::vector<std::u16string> texts) {
  m_model->SetColumn(column, std::move(texts));
}

void QuillonWindow::SetColumnNames(int column, NamePool texts) {
  m_model->SetColumn(column, std::move(texts));
}

void QuillonWindow::ClearColumn(int column) {
  m_model->ClearColumn(column);
}

std::vector<int> QuillonWindow::SelectedRows() {
  std::vector<int> rows;
  const QModelIndexList selected = m_fileList->selectionModel()->selectedRows();
  rows.reserve(static_cast<std::size_t>(selected.size()));
  for (const QModelIndex& index : selected) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::u16string QuillonWindow::NameFieldText() {
  return ToU16(m_nameEdit->text());
}

void QuillonWindow::SetControlEnabled(ControlId id, bool enabled) {
  if (QWidget* widget = Control(static_cast<int>(id))) widget->setEnabled(enabled);
}

void QuillonWindow::SetAcceptDrops(bool accept) {
  m_fileList->SetAcceptDrop(accept);
}

bool QuillonWindow::SetClipboardText(std::u16string_view text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QString value = Q(text);
  clipboard->setText(value);
  // The clipboard may refuse (no clipboard owner on this display); reading
  // back what we now own tells.
  return clipboard->text() == value;
}

std::optional<std::u16string> QuillonWindow::ClipboardText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || !data->hasText()) return std::nullopt;
  return ToU16(data->text());
}

bool QuillonWindow::HasClipboardText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr && data->hasText();
}

void QuillonWindow::OpenWithDefaultApplication(std::u16string_view pathOrAddress) {
  m_opener.Open(pathOrAddress);
}

void QuillonWindow::SetProgressTiming(int showAfterMs, int repaintEveryMs) {
  m_showProgressAfterMs = showAfterMs;
  m_repaintEveryMs = repaintEveryMs;
}

void QuillonWindow::BeginProgress(std::size_t total) {
  if (m_busyDepth++ == 0) {
    m_busyTime.start();
    m_sinceRepaint.start();
    m_refuseInput = true;
    if (!m_inputRefusal) m_inputRefusal = new InputRefusal(m_refuseInput, this);
    qApp->installEventFilter(m_inputRefusal);
  }
  m_progressTotal = total;
  m_progressDone = 0;
  UpdateProgressDialog();
}

void QuillonWindow::SetProgress(std::size_t done) {
  m_progressDone = done;
  if (m_busyDepth == 0 || m_sinceRepaint.elapsed() < m_repaintEveryMs) return;
  m_sinceRepaint.restart();
  if (m_progress == nullptr && m_busyTime.elapsed() >= m_showProgressAfterMs) ShowProgressDialog();
  UpdateProgressDialog();
  // Paints, and takes in the input that arrived meanwhile, which the event
  // filter refuses.
  QApplication::processEvents();
}

void QuillonWindow::EndProgress() {
  if (m_busyDepth == 0 || --m_busyDepth > 0) return;
  qApp->removeEventFilter(m_inputRefusal);
  m_refuseInput = false;
  if (m_progress != nullptr) {
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
  }
}

void QuillonWindow::ShowProgressDialog() {
  m_progress = new QProgressDialog(this);
  m_progress->setWindowTitle(Q(str::kAppTitle));
  m_progress->setCancelButton(nullptr);  // a run is never cut halfway
  m_progress->setAutoClose(false);
  m_progress->setAutoReset(false);
  m_progress->setMinimumDuration(0);
  m_progress->setWindowModality(Qt::WindowModal);
  m_progress->setWindowFlag(Qt::WindowCloseButtonHint, false);
  m_progress->show();
}

void QuillonWindow::UpdateProgressDialog() {
  if (m_progress == nullptr) return;
  const auto total = static_cast<int>(std::min<std::size_t>(m_progressTotal, INT_MAX));
  const auto done = static_cast<int>(std::min(m_progressDone, m_progressTotal));
  m_progress->setMaximum(total);
  m_progress->setValue(done);
  m_progress->setLabelText(Q(str::kProgressLabel) + u'\n' + QString::number(done) +
                           QStringLiteral(" / ") + QString::number(total) + Q(str::kProgressFiles));
}

}  // namespace quillon
