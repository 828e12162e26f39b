#include "shell/quillon_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "core/visible_name.h"
#include "resources/strings.h"
#include "shell/about_dlg.h"
#include "shell/app_icon.h"
#include "shell/dialog_font.h"
#include "shell/drop_target.h"
#include "shell/file_list_model.h"
#include "shell/qt_text.h"
#include "shell/retry_dialog.h"
#include "window/window_constants.h"

namespace quillon {

namespace {

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

// The keys the key map knows, as Qt names them. The Menu key is not among
// them: Qt turns it into a context-menu request of its own.
Key KeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return Key::kEnter;
    case Qt::Key_Escape:
      return Key::kEscape;
    case Qt::Key_Delete:
      return Key::kDelete;
    case Qt::Key_F1:
      return Key::kF1;
    case Qt::Key_F5:
      return Key::kF5;
    case Qt::Key_F10:
      return Key::kF10;
    case Qt::Key_A:
      return Key::kA;
    case Qt::Key_Up:
      return Key::kUp;
    case Qt::Key_Down:
      return Key::kDown;
    default:
      return Key::kUnmapped;
  }
}

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

QuillonWindow::QuillonWindow(Opener& opener, FileDateReader* dates, QWidget* parent)
    : QWidget(parent), WindowPort(m_clipboard, opener) {
  setWindowTitle(Q(str::kAppTitle));
  setWindowIcon(AppIcon());
  setFont(DialogFont(templates::kMainDialog.fontPoints));
  m_units = FittingDialogUnits(font(), templates::kMainDialogItems);

  CreateControls();
  SetRowsView(m_model);
  SetBusyView(&m_busy);
  m_dlg = std::make_unique<CQuillonDlg>(m_fileSystem, *this, &m_journals, dates);

  m_initialSize =
      ToQRect(m_units.Map(0, 0, templates::kMainDialog.width, templates::kMainDialog.height))
          .size();
  resize(m_initialSize);
  setMinimumSize(m_initialSize);
  m_layout.Record(m_initialSize.width(), m_initialSize.height(),
                  [this](int id) { return ControlRect(id); });

  // The last column takes what the others leave, so that no scroll bar
  // appears while the columns fit.
  const int columnWidth = m_units.X(window::kColumnWidthUnits);
  for (int column = 0; column < window::kColumnCount - 1; ++column)
    m_fileList->setColumnWidth(column, columnWidth);

  m_fileList->SetDropTarget(std::make_unique<CQLDropTarget>(m_fileList));
  m_fileList->SetDropHandler([this](std::vector<std::u16string> paths) {
    m_deliveringDrop = true;
    m_dlg->OnFilesDropped(std::move(paths));
    m_deliveringDrop = false;
  });

  ConnectHandlers();
  SetAccessibleTexts();
  m_dlg->UpdateControls();
  m_fileList->setFocus();
}

QuillonWindow::~QuillonWindow() = default;

void QuillonWindow::CreateControls() {
  for (const templates::DialogItem& item : templates::kMainDialogItems) {
    QWidget* widget = CreateControl(item);
    if (widget == nullptr) continue;
    widget->setGeometry(ToQRect(m_units.Map(item.x, item.y, item.width, item.height)));
    if (item.id != templates::kNoId) {
      widget->setObjectName(QStringLiteral("control%1").arg(item.id));
      m_controls[item.id] = widget;
    }
  }
}

QWidget* QuillonWindow::CreateControl(const templates::DialogItem& item) {
  using templates::ItemKind;
  switch (item.kind) {
    case ItemKind::kStatic: {
      auto* label = new QLabel(DisplayText(item.text), this);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ItemKind::kListView:
      m_fileList = new CDropTargetListCtrl(this);
      m_model = new FileListModel(Rows(), m_fileList);
      m_fileList->setModel(m_model);
      m_fileList->setIconSize(QSize(window::kRowIconSize, window::kRowIconSize));
      // The list has a menu of its own; a right click on it never reaches
      // the window's background menu.
      m_fileList->setContextMenuPolicy(Qt::CustomContextMenu);
      return m_fileList;
    case ItemKind::kEdit: {
      auto* edit = new QLineEdit(this);
      edit->setReadOnly(item.readOnly);
      // Dragged files belong to the list; an edit would paste their URIs.
      edit->setAcceptDrops(false);
      (item.readOnly ? m_directoryEdit : m_nameEdit) = edit;
      return edit;
    }
    case ItemKind::kButton: {
      auto* button = new QPushButton(Q(item.text), this);
      // Enter clicks a focused button; none is the default button, so Enter
      // elsewhere never presses one.
      button->setAutoDefault(true);
      return button;
    }
    default:
      return nullptr;
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
  connect(m_fileList, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowRowMenu(at); });
  connect(m_fileList, &QAbstractItemView::doubleClicked, this,
          [this] { m_dlg->OpenSelectedFiles(); });
  // Every key of the window passes the key map first, wherever the focus
  // is; the window is no dialog, so neither Enter nor Esc closes it.
  installEventFilter(this);
  for (const auto& [id, control] : m_controls) control->installEventFilter(this);
}

void QuillonWindow::SetAccessibleTexts() {
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
  // The Menu key reaches the list as a context-menu request from the
  // keyboard.
  if (event->type() == QEvent::ContextMenu && watched == m_fileList &&
      static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
    return RunKeyCommand({Key::kMenu, KeyPlace::kFileList, false, false, false}, *m_dlg, *this);
  }
  if (event->type() == QEvent::KeyPress) {
    const auto* press = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = press->modifiers();
    const KeyPress key{
        KeyOf(press->key()), KeyPlaceOf(watched), modifiers.testFlag(Qt::ShiftModifier),
        modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::AltModifier)};
    if (RunKeyCommand(key, *m_dlg, *this)) return true;
  }
  return QWidget::eventFilter(watched, event);
}

KeyPlace QuillonWindow::KeyPlaceOf(const QObject* widget) const {
  if (widget == m_nameEdit) return KeyPlace::kNameField;
  if (widget == m_fileList) return KeyPlace::kFileList;
  if (qobject_cast<const QPushButton*>(widget) != nullptr) return KeyPlace::kButton;
  return KeyPlace::kOther;
}

void QuillonWindow::SelectAllRows() {
  m_fileList->selectAll();
}

void QuillonWindow::ShowRowMenuAtCurrentRow() {
  const QRect row = m_fileList->visualRect(m_fileList->currentIndex());
  ShowRowMenu(row.isValid() ? row.bottomLeft() : QPoint(0, 0));
}

void QuillonWindow::AddRowMenuEntries(QMenu& menu, const std::vector<RowMenuEntry>& entries) {
  for (const RowMenuEntry& entry : entries) {
    if (entry.separator) {
      menu.addSeparator();
      continue;
    }
    if (entry.IsSubmenu()) {
      QMenu* submenu = menu.addMenu(Q(entry.text));
      submenu->setEnabled(entry.enabled);
      AddRowMenuEntries(*submenu, entry.submenu);
      continue;
    }
    QAction* action = menu.addAction(Q(entry.text));
    action->setEnabled(entry.enabled);
    // Only the item of the rows' order carries a mark; the other choices
    // show none, as in the Windows window.
    action->setCheckable(entry.checked);
    action->setChecked(entry.checked);
    action->setData(entry.id);
  }
}

void QuillonWindow::ShowRowMenu(const QPoint& atViewport) {
  QMenu menu(this);
  const bool rowsSelected = m_fileList->selectionModel()->hasSelection();
  AddRowMenuEntries(menu, RowMenu(*m_dlg, HasClipboardText(), rowsSelected));
  const QAction* chosen = menu.exec(m_fileList->viewport()->mapToGlobal(atViewport));
  if (chosen == nullptr) return;
  if (const std::optional<MenuCommand> command = RowMenuCommandOf(chosen->data().toInt()))
    m_dlg->OnMenuCommand(*command);
}

void QuillonWindow::ShowAbout() {
  CAboutDlg about(*this, this);
  about.exec();
}

void QuillonWindow::DropFiles(const std::vector<std::u16string>& paths) {
  if (!paths.empty() && m_fileList->AcceptsDrop()) m_dlg->OnFilesDropped(paths);
}

void QuillonWindow::ShowMessage(std::u16string_view text) {
  // Inside the drop the source's drag is still running, and its drag icon
  // would cover the box until OK is pressed; the box waits until the drop
  // has been answered and the drag has ended. The drop's outcome is already
  // settled by then.
  if (m_deliveringDrop) {
    QTimer::singleShot(0, this, [this, message = std::u16string(text)] { ShowMessage(message); });
    return;
  }
  BusyIndicator::InputAllowed allowed(m_busy);
  QMessageBox box(QMessageBox::Warning, Q(str::kAppTitle), DisplayText(text), QMessageBox::Ok,
                  this);
  PrepareMessageBox(box);
  box.exec();
}

bool QuillonWindow::AskOkCancel(std::u16string_view text) {
  BusyIndicator::InputAllowed allowed(m_busy);
  QMessageBox box(QMessageBox::Warning, Q(str::kAppTitle), DisplayText(text),
                  QMessageBox::Ok | QMessageBox::Cancel, this);
  PrepareMessageBox(box);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok;
}

MessagesPort::RecoveryChoice QuillonWindow::AskRecovery(std::u16string_view text) {
  BusyIndicator::InputAllowed allowed(m_busy);
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
  BusyIndicator::InputAllowed allowed(m_busy);
  CRetryDialog retry(message, this);
  retry.exec();
}

void QuillonWindow::SetDirectoryText(std::u16string_view text) {
  m_directoryEdit->setText(Q(VisibleName(text)));
  m_directoryEdit->setCursorPosition(0);
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

}  // namespace quillon
