// The real main window on the offscreen platform: what it shows, how a drag
// reaches the logic, and how it follows resizing.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "core/name_codec.h"
#include "gui_test_support.h"
#include "resources/strings.h"
#include "shell/about_dlg.h"
#include "shell/drop_target.h"
#include "shell/file_list_model.h"
#include "shell/qt_text.h"
#include "shell/quillon_window.h"
#include "test_support.h"

namespace quillon {
namespace {

using testing::FakeOpener;
using testing::OnNextModal;
using testing::TempDir;

// "file://" and the path's bytes, every byte outside the unreserved set
// escaped, as file managers send them.
QByteArray FileUri(const std::string& pathBytes) {
  QByteArray uri("file://");
  for (unsigned char c : pathBytes) {
    if (std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-' || c == '~') {
      uri.append(static_cast<char>(c));
    } else {
      uri.append('%').append(QByteArray::number(c, 16).rightJustified(2, '0').toUpper());
    }
  }
  return uri;
}

class MainWindow : public ::testing::Test {
 protected:
  struct DragOutcome {
    bool enterAccepted = false;
    Qt::DropAction enterAction = Qt::IgnoreAction;
    bool moveAccepted = false;
    bool dropAccepted = false;
    Qt::DropAction dropAction = Qt::IgnoreAction;
  };

  QWidget* C(int id) { return window.Control(id); }
  bool Enabled(ControlId id) { return C(static_cast<int>(id))->isEnabled(); }
  QWidget* Viewport() { return window.FileList()->viewport(); }

  std::vector<std::u16string> Column(int column) {
    std::vector<std::u16string> texts;
    for (int row = 0; row < window.Model()->rowCount(); ++row)
      texts.push_back(window.Model()->Cell(row, column));
    return texts;
  }

  // A whole drag over the list: enter, one move, then the drop.
  DragOutcome Drag(const QByteArray& uriList, Qt::DropActions allowed,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), uriList);
    const QPoint at = Viewport()->rect().center();
    DragOutcome outcome;
    QDragEnterEvent enter(at, allowed, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(Viewport(), &enter);
    outcome.enterAccepted = enter.isAccepted();
    outcome.enterAction = enter.dropAction();
    QDragMoveEvent move(at, allowed, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(Viewport(), &move);
    outcome.moveAccepted = move.isAccepted();
    QDropEvent drop(QPointF(at), allowed, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(Viewport(), &drop);
    outcome.dropAccepted = drop.isAccepted();
    outcome.dropAction = drop.dropAction();
    return outcome;
  }

  FakeOpener opener;
  QuillonWindow window{opener};
};

constexpr Qt::DropActions kEveryAction = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

TEST_F(MainWindow, CaptionIconColumnsAndList) {
  EXPECT_EQ(window.windowTitle(), Q(str::kAppTitle));
  EXPECT_FALSE(window.windowIcon().isNull());
  QAbstractItemModel* model = window.FileList()->model();
  ASSERT_EQ(model->columnCount(), 3);
  EXPECT_EQ(model->headerData(0, Qt::Horizontal), Q(str::kColumnOldName));
  EXPECT_EQ(model->headerData(1, Qt::Horizontal), Q(str::kColumnNewName));
  EXPECT_EQ(model->headerData(2, Qt::Horizontal), Q(str::kColumnResult));
  // Two columns of 120 horizontal dialog units (thirty average character
  // widths of the dialog font); the last one fills the rest.
  const int width = window.Units().baseX * 30;
  EXPECT_GT(width, 0);
  for (int column = 0; column < 2; ++column)
    EXPECT_EQ(window.FileList()->columnWidth(column), width);
  EXPECT_TRUE(window.FileList()->header()->stretchLastSection());
  EXPECT_FALSE(window.FileList()->header()->sectionsClickable());
  EXPECT_FALSE(window.FileList()->isSortingEnabled());
  EXPECT_EQ(window.FileList()->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(window.FileList()->selectionBehavior(), QAbstractItemView::SelectRows);
  // The dialog font is a 9-point font.
  EXPECT_EQ(window.font().pointSize(), 9);
}

// What a screen reader is told: the window is a dialog, every control that
// takes the focus has a name, and the list and the fields have the short ones.
TEST_F(MainWindow, ScreenReadersHearADialogAndANameForEachControl) {
  QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(&window);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->role(), QAccessible::Dialog);
  EXPECT_EQ(dialog->text(QAccessible::Name), Q(str::kAppTitle));
  const std::vector<std::pair<ControlId, const char16_t*>> names = {
      {ControlId::kFileList, str::kFileListName},
      {ControlId::kNameField, str::kNameFieldName},
      {ControlId::kDirectoryField, str::kDirectoryLabel},
      {ControlId::kExecute, str::kExecuteButton},
      {ControlId::kUndo, str::kUndoButton},
      {ControlId::kGenerate, str::kGenerateButton},
      {ControlId::kReset, str::kResetButton},
      {ControlId::kRefresh, str::kRefreshButton},
  };
  for (const auto& [id, name] : names) {
    QAccessibleInterface* control = QAccessible::queryAccessibleInterface(C(static_cast<int>(id)));
    ASSERT_NE(control, nullptr) << static_cast<int>(id);
    EXPECT_EQ(control->text(QAccessible::Name), Q(name)) << static_cast<int>(id);
  }
  EXPECT_FALSE(QAccessible::queryAccessibleInterface(C(static_cast<int>(ControlId::kNameField)))
                   ->text(QAccessible::Description)
                   .isEmpty());
  for (QWidget* child : window.findChildren<QWidget*>()) {
    if (child->focusPolicy() == Qt::NoFocus || !child->isVisibleTo(&window)) continue;
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(child)->text(QAccessible::Name).isEmpty())
        << child->metaObject()->className();
  }
}

TEST_F(MainWindow, EveryLabelLineFitsItsWidth) {
  // The template's texts were measured for another Japanese font; the dialog
  // units must leave none of them cut off.
  const QFontMetrics metrics(window.font());
  int labels = 0;
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    ++labels;
    for (const QString& line : label->text().split(QLatin1Char('\n')))
      EXPECT_LE(metrics.horizontalAdvance(line), label->width()) << line.toStdString();
  }
  EXPECT_EQ(labels, 5);
}

TEST_F(MainWindow, InitialStateEnablesOnlyResetAndAcceptsDrops) {
  EXPECT_FALSE(Enabled(ControlId::kNameField));
  EXPECT_FALSE(Enabled(ControlId::kGenerate));
  EXPECT_FALSE(Enabled(ControlId::kExecute));
  EXPECT_FALSE(Enabled(ControlId::kRefresh));
  EXPECT_FALSE(Enabled(ControlId::kUndo));
  EXPECT_TRUE(Enabled(ControlId::kReset));
  EXPECT_TRUE(Enabled(ControlId::kDirectoryField));
  EXPECT_TRUE(static_cast<QLineEdit*>(C(1004))->isReadOnly());
  EXPECT_TRUE(static_cast<QLineEdit*>(C(1004))->text().isEmpty());
  EXPECT_EQ(window.Model()->rowCount(), 0);
  EXPECT_TRUE(window.FileList()->AcceptsDrop());
  EXPECT_EQ(static_cast<QPushButton*>(C(1003))->text(), Q(str::kExecuteButton));
}

TEST_F(MainWindow, DropDeliversTheFilesInNaturalOrderWithTheirDirectory) {
  TempDir dir;
  for (const char* name : {"b10.txt", "b2.txt", "a\xFF.txt"}) dir.Write(name);
  QByteArray list = "# dragged from a file manager\r\n";
  list += FileUri(dir.BytesOf("b10.txt")) + "\r\n";
  list += "https://example.com/b3.txt\r\n";
  list += FileUri(dir.BytesOf("a\xFF.txt")) + "\r\n";
  list += FileUri(dir.BytesOf("b2.txt")) + "\r\n";

  const DragOutcome outcome = Drag(list, kEveryAction);
  EXPECT_TRUE(outcome.enterAccepted);
  EXPECT_EQ(outcome.enterAction, Qt::LinkAction);
  EXPECT_TRUE(outcome.moveAccepted);
  EXPECT_TRUE(outcome.dropAccepted);
  EXPECT_EQ(outcome.dropAction, Qt::LinkAction);

  EXPECT_EQ(Column(kOldNameColumn),
            (std::vector<std::u16string>{DecodeName("a\xFF.txt"), u"b2.txt", u"b10.txt"}));
  EXPECT_EQ(static_cast<QLineEdit*>(C(1004))->text(), Q(dir.Path()));
  EXPECT_EQ(window.Dialog().Directory(), dir.Path());
  // The shown name spells out the byte that is not UTF-8.
  EXPECT_EQ(window.Model()->data(window.Model()->index(0, 0), Qt::DisplayRole).toString(),
            QStringLiteral("a<FF>.txt"));
  EXPECT_FALSE(window.Model()->data(window.Model()->index(0, 0), Qt::DecorationRole).isNull());
  EXPECT_TRUE(Enabled(ControlId::kNameField));
  EXPECT_FALSE(Enabled(ControlId::kGenerate));
  // Typing the first name enables generation; emptying it disables it again.
  QTest::keyClicks(C(1016), QStringLiteral("trip_001"));
  EXPECT_TRUE(Enabled(ControlId::kGenerate));
  static_cast<QLineEdit*>(C(1016))->clear();
  EXPECT_FALSE(Enabled(ControlId::kGenerate));
}

TEST_F(MainWindow, EnterInTheNameFieldAndTheButtonGenerateNames) {
  TempDir dir;
  dir.Write("x1.jpg");
  dir.Write("x2.jpg");
  window.DropFiles({dir.PathOf("x2.jpg"), dir.PathOf("x1.jpg")});
  QTest::keyClicks(C(1016), QStringLiteral("trip_001"));
  QTest::keyClick(C(1016), Qt::Key_Return);
  EXPECT_EQ(Column(kNewNameColumn),
            (std::vector<std::u16string>{u"trip_001.jpg", u"trip_002.jpg"}));
  EXPECT_TRUE(Enabled(ControlId::kExecute));
  EXPECT_TRUE(Enabled(ControlId::kRefresh));

  static_cast<QLineEdit*>(C(1016))->setText(QStringLiteral("pic_7"));
  static_cast<QPushButton*>(C(1014))->click();
  EXPECT_EQ(Column(kNewNameColumn), (std::vector<std::u16string>{u"pic_7.jpg", u"pic_8.jpg"}));
}

TEST_F(MainWindow, DragWithoutFilesShowsNoEffectAndDeliversNothing) {
  const DragOutcome outcome =
      Drag("https://example.com/a.jpg\r\nfile://elsewhere/b.jpg\r\n", kEveryAction);
  EXPECT_FALSE(outcome.enterAccepted);
  EXPECT_FALSE(outcome.dropAccepted);
  EXPECT_EQ(window.Model()->rowCount(), 0);

  QMimeData text;
  text.setText(QStringLiteral("/etc/passwd"));
  QDragEnterEvent enter(QPoint(5, 5), kEveryAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Viewport(), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

TEST_F(MainWindow, NoEffectWhileAnExecutionIsInForce) {
  TempDir dir;
  dir.Write("a.txt");
  window.Dialog().ListRows(window.Dialog().Rows(), CQuillonDlg::ExecutedRun{});
  EXPECT_TRUE(Enabled(ControlId::kUndo));

  const DragOutcome refused = Drag(FileUri(dir.BytesOf("a.txt")) + "\r\n", kEveryAction);
  EXPECT_FALSE(refused.enterAccepted);
  EXPECT_FALSE(refused.moveAccepted);
  EXPECT_FALSE(refused.dropAccepted);
  EXPECT_EQ(window.Model()->rowCount(), 0);

  window.Dialog().ListRows(window.Dialog().Rows());
  const DragOutcome accepted = Drag(FileUri(dir.BytesOf("a.txt")) + "\r\n", kEveryAction);
  EXPECT_TRUE(accepted.dropAccepted);
  EXPECT_EQ(window.Model()->rowCount(), 1);
}

TEST_F(MainWindow, TheAnswerIsNeverTheMoveAction) {
  TempDir dir;
  dir.Write("a.txt");
  const QByteArray list = FileUri(dir.BytesOf("a.txt")) + "\r\n";
  // Shift proposes a move, which the platform may settle on whatever the
  // list answers (a Wayland compositor does): refused whole.
  DragOutcome outcome = Drag(list, kEveryAction, Qt::ShiftModifier);
  EXPECT_FALSE(outcome.enterAccepted);
  EXPECT_FALSE(outcome.dropAccepted);
  EXPECT_EQ(window.Model()->rowCount(), 0);
  outcome = Drag(list, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier);
  EXPECT_FALSE(outcome.dropAccepted);
  EXPECT_EQ(window.Model()->rowCount(), 0);
  // Without it the list links.
  outcome = Drag(list, kEveryAction);
  EXPECT_EQ(outcome.enterAction, Qt::LinkAction);
  EXPECT_EQ(outcome.dropAction, Qt::LinkAction);
  // A source without link (Wayland) gets copy.
  window.Dialog().ListRows(FileRows());
  outcome = Drag(list, Qt::CopyAction | Qt::MoveAction);
  EXPECT_EQ(outcome.enterAction, Qt::CopyAction);
  EXPECT_EQ(outcome.dropAction, Qt::CopyAction);
  EXPECT_EQ(window.Model()->rowCount(), 1);
  // A source that only offers a move cannot drop here.
  window.Dialog().ListRows(FileRows());
  outcome = Drag(list, Qt::MoveAction);
  EXPECT_FALSE(outcome.enterAccepted);
  EXPECT_FALSE(outcome.dropAccepted);
  EXPECT_EQ(window.Model()->rowCount(), 0);
}

TEST_F(MainWindow, MessageOfARefusedDropComesAfterTheDropHasBeenAnswered) {
  TempDir dir;
  dir.MakeDir("sub");
  bool dropAnswered = false;
  bool shownAfterTheDrop = false;
  QString text;
  OnNextModal([&](QWidget* modal) {
    shownAfterTheDrop = dropAnswered;
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  const DragOutcome outcome = Drag(FileUri(dir.BytesOf("sub")) + "\r\n", kEveryAction);
  dropAnswered = true;
  EXPECT_TRUE(outcome.dropAccepted);  // the drop itself is taken; the logic refuses it
  EXPECT_TRUE(QTest::qWaitFor([&] { return !text.isEmpty(); }, 10000));
  EXPECT_TRUE(shownAfterTheDrop);
  EXPECT_EQ(text, Q(str::kNoDirectories));
  EXPECT_EQ(window.Model()->rowCount(), 0);
}

TEST_F(MainWindow, LeavingForgetsTheDragAndTheDropUsesWhatEnterCollected) {
  TempDir dir;
  dir.Write("a.txt");
  dir.Write("b.txt");
  QMimeData first;
  first.setData(QStringLiteral("text/uri-list"), FileUri(dir.BytesOf("a.txt")) + "\r\n");
  QDragEnterEvent enter(QPoint(5, 5), kEveryAction, &first, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Viewport(), &enter);
  QDragLeaveEvent leave;
  QApplication::sendEvent(Viewport(), &leave);
  QDropEvent lateDrop(QPointF(5, 5), kEveryAction, &first, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Viewport(), &lateDrop);
  EXPECT_FALSE(lateDrop.isAccepted());
  EXPECT_EQ(window.Model()->rowCount(), 0);

  QApplication::sendEvent(Viewport(), &enter);
  QMimeData other;
  other.setData(QStringLiteral("text/uri-list"), FileUri(dir.BytesOf("b.txt")) + "\r\n");
  QDropEvent drop(QPointF(5, 5), kEveryAction, &other, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Viewport(), &drop);
  EXPECT_EQ(Column(kOldNameColumn), (std::vector<std::u16string>{u"a.txt"}));
}

TEST_F(MainWindow, ResizeFollowsTheAnchorsAndStopsAtTheOpeningSize) {
  window.show();
  const QSize opening = window.size();
  EXPECT_EQ(opening, window.InitialSize());
  EXPECT_EQ(window.minimumSize(), opening);
  const QRect list = C(1000)->geometry();
  const QRect reset = C(1011)->geometry();
  const QRect execute = C(1003)->geometry();
  const QRect name = C(1016)->geometry();
  const QRect instruction = C(1017)->geometry();

  window.resize(opening.width() + 40, opening.height() + 30);
  EXPECT_EQ(C(1000)->geometry(), list.adjusted(0, 0, 40, 30));
  EXPECT_EQ(C(1011)->geometry(), reset.translated(40, 0));
  EXPECT_EQ(C(1003)->geometry(), execute.translated(0, 30));
  EXPECT_EQ(C(1016)->geometry(), name.adjusted(0, 30, 40, 30));
  EXPECT_EQ(C(1017)->geometry(), instruction.translated(0, 30));

  window.resize(opening.width() - 100, opening.height() - 100);
  EXPECT_EQ(window.size(), opening);
  EXPECT_EQ(C(1000)->geometry(), list);
  EXPECT_EQ(C(1011)->geometry(), reset);
}

TEST_F(MainWindow, EscapeAndEnterNeverCloseIt) {
  window.show();
  QTest::keyClick(C(1016), Qt::Key_Escape);
  QTest::keyClick(window.FileList(), Qt::Key_Return);
  QTest::keyClick(C(1004), Qt::Key_Return);
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindow, ClosingAsksNothingEvenAfterAnExecution) {
  window.show();
  window.Dialog().ListRows(window.Dialog().Rows(), CQuillonDlg::ExecutedRun{});
  EXPECT_EQ(testing::ModalsOpenedDuring([&] { EXPECT_TRUE(window.close()); }), 0);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindow, MessageBoxesCarryTheCaptionAndTheWarningIcon) {
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QString text;
  OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    icon = box->icon();
    buttons = box->standardButtons();
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  window.ShowMessage(u"一行目\r\n二行目");
  EXPECT_EQ(title, Q(str::kAppTitle));
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(buttons, QMessageBox::Ok);
  EXPECT_EQ(text, QStringLiteral("一行目\n二行目"));

  bool okIsDefault = false;
  OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_TRUE(window.AskOkCancel(str::kConfirmReset));
  EXPECT_TRUE(okIsDefault);
  OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_FALSE(window.AskOkCancel(str::kConfirmReset));
}

TEST_F(MainWindow, RetryDialogReturnsByItsButtonAndByItsCloseBox) {
  const std::u16string message = std::u16string(u"/tmp/a.jpg") + str::kFileInUse;
  QString label;
  QString button;
  QString title;
  OnNextModal([&](QWidget* modal) {
    title = modal->windowTitle();
    label = modal->findChild<QLabel*>()->text();
    auto* retry = modal->findChild<QPushButton*>();
    button = retry->text();
    retry->click();
  });
  window.ShowRetryDialog(message);
  EXPECT_EQ(title, Q(str::kAppTitle));
  EXPECT_EQ(button, Q(str::kRetryButton));
  EXPECT_EQ(label, DisplayText(message));

  OnNextModal([](QWidget* modal) { modal->close(); });
  window.ShowRetryDialog(message);  // returns: closing counts like the button
}

TEST_F(MainWindow, AboutBoxShowsVersionAndOpensTheHomePage) {
  CAboutDlg about(window, &window);
  EXPECT_EQ(about.windowTitle(), Q(str::kAboutCaption));
  EXPECT_EQ(static_cast<QLabel*>(about.Control(1018))->text(), QStringLiteral("Version 1.0.0.1"));
  QStringList texts;
  for (const QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
  EXPECT_TRUE(texts.contains(Q(str::kAppTitle)));
  EXPECT_TRUE(texts.contains(Q(str::kCopyright)));
  auto* ok = static_cast<QPushButton*>(about.Control(1));
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_TRUE(ok->isDefault());

  about.show();
  static_cast<QPushButton*>(about.Control(1019))->click();
  static_cast<QPushButton*>(about.Control(1019))->click();
  EXPECT_TRUE(about.isVisible());
  ASSERT_EQ(opener.opened.size(), 2u);
  EXPECT_EQ(opener.opened[0], u"https://tovrenko.example/quillbox/?v=1.0.0.1");
  ok->click();
  EXPECT_FALSE(about.isVisible());
}

TEST_F(MainWindow, BackgroundMenuAndF1OpenTheAboutBox) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  QString item;
  OnNextModal([&](QWidget* popup) {
    auto* menu = qobject_cast<QMenu*>(popup);
    ASSERT_NE(menu, nullptr);
    item = menu->actions().value(0)->text();
    menu->close();
  });
  const QPoint background(2, 2);
  QContextMenuEvent onBackground(QContextMenuEvent::Mouse, background,
                                 window.mapToGlobal(background));
  QApplication::sendEvent(&window, &onBackground);
  EXPECT_EQ(item, Q(str::kAboutMenuItem));

  // A right click on the list opens the list's own menu instead.
  OnNextModal([&](QWidget* popup) {
    item = static_cast<QMenu*>(popup)->actions().value(0)->text();
    popup->close();
  });
  const QPoint inList = Viewport()->rect().center();
  QContextMenuEvent onList(QContextMenuEvent::Mouse, inList, Viewport()->mapToGlobal(inList));
  QApplication::sendEvent(Viewport(), &onList);
  EXPECT_EQ(item, Q(str::kMenuOpen));

  // A shortcut reaches only the active window. Closing a popup does not give
  // the activation back on every platform (offscreen does not), so the test
  // activates the window as the user's click would, and waits until it is.
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QString title;
  OnNextModal([&](QWidget* modal) {
    title = modal->windowTitle();
    modal->close();
  });
  QTest::keyClick(&window, Qt::Key_F1);
  EXPECT_EQ(title, Q(str::kAboutCaption));
}

TEST_F(MainWindow, ManyRowsAreSetWithOneNotificationEach) {
  std::vector<std::u16string> names(100000);
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = u"f" + DecodeName(std::to_string(i));
  FileListModel* model = window.Model();
  QSignalSpy resets(model, &QAbstractItemModel::modelReset);
  QSignalSpy inserts(model, &QAbstractItemModel::rowsInserted);
  QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
  window.SetRows(u"/d", names);
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(inserts.count(), 0);
  EXPECT_EQ(model->rowCount(), 100000);
  window.SetColumnTexts(kNewNameColumn, names);
  window.ClearColumn(kNewNameColumn);
  EXPECT_EQ(changes.count(), 2);
  EXPECT_EQ(model->Cell(99999, kNewNameColumn), u"");

  window.SetCellText(3, kResultColumn, u"〇");
  EXPECT_EQ(model->Cell(3, kResultColumn), u"〇");
  window.DeleteRows({0});
  EXPECT_EQ(model->Cell(0, kOldNameColumn), u"f1");
  window.FileList()->selectionModel()->select(
      model->index(5, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  window.FileList()->selectionModel()->select(
      model->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  EXPECT_EQ(window.SelectedRows(), (std::vector<int>{2, 5}));
  window.DeleteAllRows();
  EXPECT_EQ(model->rowCount(), 0);
}

// Closes the next message box once it is open, leaving other modal windows
// (the progress of long work) alone.
void CloseNextMessageBox(int attemptsLeft = 500) {
  QTimer::singleShot(10, [attemptsLeft] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box->close();
    } else if (attemptsLeft > 0) {
      CloseNextMessageBox(attemptsLeft - 1);
    }
  });
}

TEST_F(MainWindow, LongWorkShowsItsProgressAndRefusesInput) {
  TempDir dir;
  std::vector<std::u16string> paths;
  for (int i = 1; i <= 40; ++i) {
    const std::string name = "p" + std::to_string(i) + ".jpg";
    dir.Write(name);
    paths.push_back(dir.PathOf(name));
  }
  window.DropFiles(paths);
  static_cast<QLineEdit*>(C(1016))->setText(QStringLiteral("trip_01"));
  static_cast<QPushButton*>(C(1014))->click();
  // Every piece of work counts as long, and the window takes in events at
  // every step of it.
  window.SetProgressTiming(0, 0);

  struct Seen {
    bool shown = false;
    int maximum = 0;
    QString label;
  };
  // Runs inside the work, the first time the window takes in events: what
  // it shows then, and what a user's typing and clicking do.
  const auto during = [&](Seen* seen) {
    QTimer::singleShot(0, [&, seen] {
      if (auto* progress = window.findChild<QProgressDialog*>()) {
        seen->shown = progress->isVisible();
        seen->maximum = progress->maximum();
        seen->label = progress->labelText();
      }
      QTest::keyClicks(C(1016), QStringLiteral("zz"));
      QTest::mouseClick(C(1014), Qt::LeftButton);
      QTest::keyClick(&window, Qt::Key_F5);
    });
  };

  Seen execution;
  during(&execution);
  CloseNextMessageBox();
  static_cast<QPushButton*>(C(1003))->click();
  EXPECT_TRUE(execution.shown);
  EXPECT_EQ(execution.maximum, 40);
  EXPECT_TRUE(execution.label.endsWith(QStringLiteral("/ 40") + Q(str::kProgressFiles)))
      << execution.label.toStdString();
  EXPECT_EQ(static_cast<QLineEdit*>(C(1016))->text(), QStringLiteral("trip_01"));
  EXPECT_EQ(Column(kResultColumn), std::vector<std::u16string>(40, u"〇"));
  EXPECT_TRUE(dir.Exists("trip_40.jpg"));
  EXPECT_EQ(window.findChild<QProgressDialog*>(), nullptr);

  // Input is taken again once the work is over: undo, with its own progress.
  Seen undo;
  during(&undo);
  CloseNextMessageBox();
  QTest::mouseClick(C(1005), Qt::LeftButton);
  EXPECT_TRUE(undo.shown);
  EXPECT_TRUE(dir.Exists("p40.jpg"));
  EXPECT_FALSE(dir.Exists("trip_40.jpg"));
}

// Everything below the scratch HOME and XDG directories, which main() made
// empty for this process. The state directory's own folder for journals
// may stay, empty and private.
std::vector<std::string> FilesUnderScratch() {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(testing::ScratchHome())) {
    const std::string relative =
        std::filesystem::relative(entry.path(), testing::ScratchHome()).string();
    if (relative == "state/quillon" && std::filesystem::is_empty(entry.path()) &&
        (std::filesystem::status(entry.path()).permissions() & std::filesystem::perms::group_all) ==
            std::filesystem::perms::none)
      continue;
    if (relative != "home" && relative != "config" && relative != "cache" && relative != "data" &&
        relative != "state")
      found.push_back(relative);
  }
  return found;
}

TEST(NoFilesOfItsOwn, AWholeSessionWritesNothing) {
  ASSERT_TRUE(FilesUnderScratch().empty());
  TempDir dir;
  dir.Write("p1.jpg");
  dir.Write("p2.jpg");
  {
    FakeOpener opener;
    QuillonWindow window(opener);
    window.show();
    window.DropFiles({dir.PathOf("p2.jpg"), dir.PathOf("p1.jpg")});
    EXPECT_EQ(window.Model()->rowCount(), 2);
    window.resize(window.width() + 10, window.height() + 10);
    QTest::keyClicks(window.Control(1016), QStringLiteral("trip_001"));
    QTest::keyClick(window.Control(1016), Qt::Key_Return);
    window.SetClipboardText(u"a\r\nb\r\n");
    OnNextModal([](QWidget* modal) { modal->close(); });
    window.ShowAbout();
    QTest::qWait(50);
    window.close();
  }
  QApplication::processEvents();
  EXPECT_EQ(FilesUnderScratch(), std::vector<std::string>{});
}

}  // namespace
}  // namespace quillon
