// The list's own commands in the real window on the offscreen platform: its
// menu, the keys, the clipboard, scrolling, and the dialogs' look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <filesystem>

#include "gui_test_support.h"
#include "resources/strings.h"
#include "shell/about_dlg.h"
#include "shell/drop_target.h"
#include "shell/file_list_model.h"
#include "shell/qt_text.h"
#include "shell/quillon_window.h"
#include "shell/retry_dialog.h"
#include "test_support.h"

namespace quillon {
namespace {

using testing::FakeOpener;
using testing::OnNextModal;
using testing::TempDir;

class ListCommands : public ::testing::Test {
 protected:
  ListCommands() {
    for (const char* name : {"a.jpg", "b.jpg", "c.txt"}) dir.Write(name);
    window.DropFiles({dir.PathOf("a.jpg"), dir.PathOf("b.jpg"), dir.PathOf("c.txt")});
    window.show();
    window.activateWindow();
  }

  QWidget* C(int id) { return window.Control(id); }
  CDropTargetListCtrl* List() { return window.FileList(); }
  std::vector<std::u16string> Column(int column) {
    std::vector<std::u16string> texts;
    for (int row = 0; row < window.Model()->rowCount(); ++row)
      texts.push_back(window.Model()->Cell(row, column));
    return texts;
  }
  void Select(std::initializer_list<int> rows) {
    List()->selectionModel()->clearSelection();
    for (int row : rows)
      List()->selectionModel()->select(window.Model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  void Generate(const QString& first) {
    static_cast<QLineEdit*>(C(1016))->setText(first);
    QTest::keyClick(C(1016), Qt::Key_Return);
  }

  struct MenuSeen {
    QStringList texts;  // "-" for a separator
    QString enabled;    // '1' or '0' per item that is not a separator
    QPoint shownAt;
  };
  // Right-clicks at a point of the list and reads the menu; `choose` picks
  // the item with that text through the keyboard, or closes the menu.
  MenuSeen RightClick(QPoint at, const QString& choose = {}, bool thenCloseMessage = false) {
    MenuSeen seen;
    OnNextModal([&](QWidget* popup) {
      auto* menu = qobject_cast<QMenu*>(popup);
      ASSERT_NE(menu, nullptr);
      seen.shownAt = menu->pos();
      for (QAction* action : menu->actions()) {
        seen.texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        if (!action->isSeparator()) seen.enabled += action->isEnabled() ? u'1' : u'0';
        if (!choose.isEmpty() && action->text() == choose) menu->setActiveAction(action);
      }
      if (choose.isEmpty()) {
        menu->close();
      } else {
        QTest::keyClick(menu, Qt::Key_Return);
        // The command runs once the menu has closed, and may show a message.
        if (thenCloseMessage) OnNextModal([](QWidget* box) { box->close(); });
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, List()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(List()->viewport(), &event);
    return seen;
  }
  QPoint RowPoint(int row) { return List()->visualRect(window.Model()->index(row, 0)).center(); }
  QPoint EmptySpace() { return List()->viewport()->rect().bottomLeft() + QPoint(5, -5); }

  TempDir dir;
  FakeOpener opener;
  QuillonWindow window{opener};
};

TEST_F(ListCommands, MenuHasTenItemsInOrderEnabledByState) {
  const QStringList expected = {Q(str::kMenuOpen),        QStringLiteral("-"),
                                Q(str::kMenuCopyOldBase), Q(str::kMenuCopyOldFull),
                                Q(str::kMenuCopyNewBase), Q(str::kMenuCopyNewFull),
                                Q(str::kMenuPaste),       QStringLiteral("-"),
                                Q(str::kMenuDelete),      Q(str::kMenuRefresh)};
  QGuiApplication::clipboard()->clear();
  List()->selectionModel()->clearSelection();
  MenuSeen seen = RightClick(EmptySpace());
  EXPECT_EQ(seen.texts, expected);
  EXPECT_EQ(seen.enabled, QStringLiteral("01100000"));
  EXPECT_EQ(seen.shownAt, List()->viewport()->mapToGlobal(EmptySpace()));

  Generate(QStringLiteral("n1"));
  QGuiApplication::clipboard()->setText(QStringLiteral("x\r\n"));
  Select({1});
  EXPECT_EQ(RightClick(RowPoint(1)).enabled, QStringLiteral("11111111"));

  OnNextModal([](QWidget* box) { box->close(); });  // the summary of the execution
  static_cast<QPushButton*>(C(1003))->click();
  EXPECT_EQ(RightClick(RowPoint(1)).enabled, QStringLiteral("11111000"));
}

TEST_F(ListCommands, MenuItemsRunTheirCommands) {
  Generate(QStringLiteral("n1"));
  Select({0, 2});
  RightClick(RowPoint(0), Q(str::kMenuOpen));
  EXPECT_EQ(opener.opened, (std::vector<std::u16string>{dir.PathOf("a.jpg"), dir.PathOf("c.txt")}));

  RightClick(RowPoint(0), Q(str::kMenuCopyNewFull));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("n1.jpg\r\nn2.jpg\r\nn3.txt\r\n"));

  // Edited in a text tool, pasted back: two files swap their names.
  QGuiApplication::clipboard()->setText(QStringLiteral("n2.jpg\r\nn1.jpg\r\nn3.txt"));
  RightClick(RowPoint(0), Q(str::kMenuPaste));
  EXPECT_EQ(Column(kNewNameColumn), (std::vector<std::u16string>{u"n2.jpg", u"n1.jpg", u"n3.txt"}));

  Select({1});
  RightClick(RowPoint(1), Q(str::kMenuDelete));
  EXPECT_EQ(Column(kOldNameColumn), (std::vector<std::u16string>{u"a.jpg", u"c.txt"}));
  EXPECT_EQ(Column(kNewNameColumn), (std::vector<std::u16string>{u"n2.jpg", u"n3.txt"}));

  std::filesystem::remove(dir.BytesOf("c.txt"));
  RightClick(RowPoint(0), Q(str::kMenuRefresh), /*thenCloseMessage=*/true);
  EXPECT_EQ(Column(kResultColumn), (std::vector<std::u16string>{u"", u"×元ファイルなし"}));
}

TEST_F(ListCommands, KeysOfTheListAndTheDialog) {
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  Generate(QStringLiteral("k1"));
  EXPECT_EQ(Column(kNewNameColumn), (std::vector<std::u16string>{u"k1.jpg", u"k2.jpg", u"k3.txt"}));

  List()->setFocus();
  Select({1});
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(opener.opened, std::vector<std::u16string>{dir.PathOf("b.jpg")});
  // A double click arrives as a click followed by the double-click event.
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(2));
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(2));
  EXPECT_EQ(opener.opened.back(), dir.PathOf("c.txt"));
  QTest::keyClick(C(1004), Qt::Key_Return);  // the directory field: nothing
  EXPECT_EQ(opener.opened.size(), 2u);

  Select({0});
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(Column(kOldNameColumn), (std::vector<std::u16string>{u"b.jpg", u"c.txt"}));

  // F5 after a file was removed behind the program's back marks its row.
  std::filesystem::remove(dir.BytesOf("b.jpg"));
  OnNextModal([](QWidget* box) { box->close(); });
  QTest::keyClick(List(), Qt::Key_F5);
  EXPECT_EQ(Column(kResultColumn), (std::vector<std::u16string>{u"×元ファイルなし", u""}));

  QTest::keyClick(List(), Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());

  // The menu from the keyboard: the Menu key, and Shift+F10.
  for (int opened = 0; opened < 2; ++opened) {
    QString first;
    OnNextModal([&](QWidget* popup) {
      first = static_cast<QMenu*>(popup)->actions().value(0)->text();
      popup->close();
    });
    if (opened == 0) {
      QContextMenuEvent fromKey(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                List()->mapToGlobal(QPoint(1, 1)));
      QApplication::sendEvent(List(), &fromKey);
    } else {
      QTest::keyClick(List(), Qt::Key_F10, Qt::ShiftModifier);
    }
    EXPECT_EQ(first, Q(str::kMenuOpen));
  }

  // Deleting every row brings back the empty window.
  QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(window.Model()->rowCount(), 0);
  EXPECT_TRUE(static_cast<QLineEdit*>(C(1004))->text().isEmpty());
  EXPECT_FALSE(C(1016)->isEnabled());
  EXPECT_TRUE(List()->AcceptsDrop());
}

TEST_F(ListCommands, CopyingAndPastingTheNewNamesChangesNothing) {
  Generate(QStringLiteral("same_01"));
  const auto names = window.Dialog().NewNames();
  for (MenuCommand copy : {MenuCommand::kCopyNewFull, MenuCommand::kCopyNewBase}) {
    window.Dialog().OnMenuCommand(copy);
    window.Dialog().OnMenuCommand(MenuCommand::kPaste);
    EXPECT_EQ(window.Dialog().NewNames(), names);
  }
}

TEST_F(ListCommands, TheCurrentRowStaysInViewAndMarkedRowsAreShown) {
  std::vector<std::u16string> names;
  for (int i = 0; i < 2000; ++i) names.push_back(u"row" + QString::number(i).toStdU16String());
  window.SetRows(u"/nowhere", names);
  List()->setFocus();
  const auto visible = [this](int row) {
    return List()->viewport()->rect().intersects(List()->visualRect(window.Model()->index(row, 0)));
  };
  List()->setCurrentIndex(window.Model()->index(0, 0));
  QTest::keyClick(List(), Qt::Key_End);
  EXPECT_TRUE(visible(1999));
  QTest::keyClick(List(), Qt::Key_Home);
  EXPECT_TRUE(visible(0));
  for (int i = 0; i < 3; ++i) QTest::keyClick(List(), Qt::Key_PageDown);
  EXPECT_TRUE(visible(List()->currentIndex().row()));
  EXPECT_GT(List()->currentIndex().row(), 10);

  window.EnsureRowVisible(1500);
  EXPECT_TRUE(visible(1500));
}

TEST_F(ListCommands, ColumnsFillTheListWithoutAHorizontalScrollBar) {
  QApplication::processEvents();
  EXPECT_FALSE(List()->horizontalScrollBar()->isVisible());
  const int total = List()->header()->length();
  EXPECT_EQ(total, List()->viewport()->width());
}

TEST_F(ListCommands, DialogsHaveJapaneseButtonsAndAFixedSize) {
  const auto fixed = [](QWidget* dialog) {
    const Qt::WindowFlags flags = dialog->windowFlags();
    return !(flags & Qt::WindowMinimizeButtonHint) && !(flags & Qt::WindowMaximizeButtonHint);
  };
  QString cancel;
  bool boxFixed = false;
  OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    cancel = box->button(QMessageBox::Cancel)->text();
    boxFixed = fixed(box);
    box->button(QMessageBox::Cancel)->click();
  });
  EXPECT_FALSE(window.AskOkCancel(str::kConfirmReset));
  EXPECT_EQ(cancel, Q(str::kCancelButton));
  EXPECT_TRUE(boxFixed);

  CAboutDlg about(window, &window);
  EXPECT_TRUE(fixed(&about));
  EXPECT_EQ(about.minimumSize(), about.maximumSize());
  CRetryDialog retry(u"x", &window);
  EXPECT_TRUE(fixed(&retry));
  EXPECT_EQ(retry.minimumSize(), retry.maximumSize());
}

}  // namespace
}  // namespace quillon
