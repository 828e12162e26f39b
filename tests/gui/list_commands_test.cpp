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
#include <algorithm>
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

// A menu's items as shown: their texts ("-" for a separator), and per item
// that is not a separator '1' or '0' for enabled and for checked.
struct MenuItems {
  QStringList texts;
  QString enabled;
  QString checked;
};

MenuItems ItemsOf(const QMenu& menu) {
  MenuItems items;
  for (const QAction* action : menu.actions()) {
    items.texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    if (action->isSeparator()) continue;
    items.enabled += action->isEnabled() ? u'1' : u'0';
    items.checked += action->isChecked() ? u'1' : u'0';
  }
  return items;
}

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
    MenuItems items;
    MenuItems order;  // the items of the submenu "並べ替え"
    QPoint shownAt;
  };
  // Right-clicks at a point of the list and reads the menu; `choose` picks
  // the item with that text through the keyboard, one text per submenu on
  // the way, or closes the menu.
  MenuSeen RightClick(QPoint at, const QStringList& choose = {}, bool thenCloseMessage = false) {
    MenuSeen seen;
    OnNextModal([&](QWidget* popup) {
      auto* menu = qobject_cast<QMenu*>(popup);
      ASSERT_NE(menu, nullptr);
      seen.shownAt = menu->pos();
      seen.items = ItemsOf(*menu);
      for (QAction* action : menu->actions())
        if (action->menu() != nullptr) seen.order = ItemsOf(*action->menu());
      if (choose.isEmpty()) {
        menu->close();
        return;
      }
      for (const QString& text : choose) {
        QAction* item = nullptr;
        for (QAction* action : menu->actions())
          if (action->text() == text) item = action;
        ASSERT_NE(item, nullptr) << text.toStdString();
        menu->setActiveAction(item);
        if (item->menu() == nullptr) break;
        QTest::keyClick(menu, Qt::Key_Right);
        menu = item->menu();
        ASSERT_TRUE(menu->isVisible());
      }
      QTest::keyClick(menu, Qt::Key_Return);
      // The command runs once the menu has closed, and may show a message.
      if (thenCloseMessage) OnNextModal([](QWidget* box) { box->close(); });
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, List()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(List()->viewport(), &event);
    return seen;
  }
  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (const QModelIndex& index : List()->selectionModel()->selectedRows())
      rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  QPoint RowPoint(int row) { return List()->visualRect(window.Model()->index(row, 0)).center(); }
  QPoint EmptySpace() { return List()->viewport()->rect().bottomLeft() + QPoint(5, -5); }

  TempDir dir;
  FakeOpener opener;
  QuillonWindow window{opener};
};

TEST_F(ListCommands, MenuHasItsItemsAndTheOrderSubmenuEnabledAndCheckedByState) {
  const QStringList expected = {
      Q(str::kMenuOpen),        QStringLiteral("-"),      Q(str::kMenuCopyOldBase),
      Q(str::kMenuCopyOldFull), Q(str::kMenuCopyNewBase), Q(str::kMenuCopyNewFull),
      Q(str::kMenuPaste),       QStringLiteral("-"),      Q(str::kMenuDelete),
      Q(str::kMenuRefresh),     QStringLiteral("-"),      Q(str::kMenuOrder)};
  const QStringList order = {
      Q(str::kMenuOrderByName), Q(str::kMenuOrderByDateTaken), Q(str::kMenuOrderByTimeModified),
      QStringLiteral("-"),      Q(str::kMenuMoveUp),           Q(str::kMenuMoveDown)};
  QGuiApplication::clipboard()->clear();
  List()->selectionModel()->clearSelection();
  MenuSeen seen = RightClick(EmptySpace());
  EXPECT_EQ(seen.items.texts, expected);
  EXPECT_EQ(seen.order.texts, order);
  // Without a reader of the files' dates only the name order is offered;
  // moving needs a selection.
  EXPECT_EQ(seen.items.enabled, QStringLiteral("011000001"));
  EXPECT_EQ(seen.order.enabled, QStringLiteral("10000"));
  EXPECT_EQ(seen.order.checked, QStringLiteral("10000"));
  EXPECT_EQ(seen.shownAt, List()->viewport()->mapToGlobal(EmptySpace()));

  Generate(QStringLiteral("n1"));
  QGuiApplication::clipboard()->setText(QStringLiteral("x\r\n"));
  Select({1});
  seen = RightClick(RowPoint(1));
  EXPECT_EQ(seen.items.enabled, QStringLiteral("111111111"));
  EXPECT_EQ(seen.order.enabled, QStringLiteral("10011"));

  // After the execution the order stays as it is: the submenu is greyed,
  // its check still on the name order.
  OnNextModal([](QWidget* box) { box->close(); });  // the summary of the execution
  static_cast<QPushButton*>(C(1003))->click();
  seen = RightClick(RowPoint(1));
  EXPECT_EQ(seen.items.enabled, QStringLiteral("111110000"));
  EXPECT_EQ(seen.order.enabled, QStringLiteral("00000"));
  EXPECT_EQ(seen.order.checked, QStringLiteral("10000"));
}

TEST_F(ListCommands, MovingRowsByTheMenuAndByAltArrowsKeepsThemSelected) {
  const auto oldNames = [this] { return Column(kOldNameColumn); };
  Generate(QStringLiteral("n1"));
  List()->setFocus();
  Select({1, 2});
  RightClick(RowPoint(1), {Q(str::kMenuOrder), Q(str::kMenuMoveUp)});
  EXPECT_EQ(oldNames(), (std::vector<std::u16string>{u"b.jpg", u"c.txt", u"a.jpg"}));
  EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1}));
  // The generated names follow the rows; the order is now by hand.
  EXPECT_EQ(Column(kNewNameColumn), (std::vector<std::u16string>{u"n1.jpg", u"n2.txt", u"n3.jpg"}));
  EXPECT_EQ(RightClick(RowPoint(0)).order.checked, QStringLiteral("00000"));

  struct Step {
    QWidget* target;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<std::u16string> rows;
    std::vector<int> selected;
  };
  const Step steps[] = {
      {List(), Qt::Key_Down, Qt::AltModifier, {u"a.jpg", u"b.jpg", u"c.txt"}, {1, 2}},
      // At the bottom they stay; Alt+Up takes them back up, twice as far as
      // the top.
      {List(), Qt::Key_Down, Qt::AltModifier, {u"a.jpg", u"b.jpg", u"c.txt"}, {1, 2}},
      {List(), Qt::Key_Up, Qt::AltModifier, {u"b.jpg", u"c.txt", u"a.jpg"}, {0, 1}},
      {List(), Qt::Key_Up, Qt::AltModifier, {u"b.jpg", u"c.txt", u"a.jpg"}, {0, 1}},
      // Alt+Up in the name field moves no row; Down alone moves the cursor.
      {C(1016), Qt::Key_Up, Qt::AltModifier, {u"b.jpg", u"c.txt", u"a.jpg"}, {0, 1}},
      {List(), Qt::Key_Down, Qt::NoModifier, {u"b.jpg", u"c.txt", u"a.jpg"}, {1}},
      {List(), Qt::Key_Down, Qt::AltModifier, {u"b.jpg", u"a.jpg", u"c.txt"}, {2}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(&step - steps);
    QTest::keyClick(step.target, step.key, step.modifiers);
    EXPECT_EQ(oldNames(), step.rows);
    EXPECT_EQ(SelectedRows(), step.selected);
  }
  // Without a selection Alt+Down moves nothing, as the menu item is greyed.
  List()->selectionModel()->clearSelection();
  QTest::keyClick(List(), Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(oldNames(), (std::vector<std::u16string>{u"b.jpg", u"a.jpg", u"c.txt"}));

  RightClick(RowPoint(0), {Q(str::kMenuOrder), Q(str::kMenuOrderByName)});
  EXPECT_EQ(oldNames(), (std::vector<std::u16string>{u"a.jpg", u"b.jpg", u"c.txt"}));
  EXPECT_EQ(Column(kNewNameColumn), (std::vector<std::u16string>{u"n1.jpg", u"n2.jpg", u"n3.txt"}));
  EXPECT_EQ(RightClick(RowPoint(0)).order.checked, QStringLiteral("10000"));
}

TEST_F(ListCommands, MenuItemsRunTheirCommands) {
  Generate(QStringLiteral("n1"));
  Select({0, 2});
  RightClick(RowPoint(0), {Q(str::kMenuOpen)});
  EXPECT_EQ(opener.opened, (std::vector<std::u16string>{dir.PathOf("a.jpg"), dir.PathOf("c.txt")}));

  RightClick(RowPoint(0), {Q(str::kMenuCopyNewFull)});
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("n1.jpg\r\nn2.jpg\r\nn3.txt\r\n"));

  // Edited in a text tool, pasted back: two files swap their names.
  QGuiApplication::clipboard()->setText(QStringLiteral("n2.jpg\r\nn1.jpg\r\nn3.txt"));
  RightClick(RowPoint(0), {Q(str::kMenuPaste)});
  EXPECT_EQ(Column(kNewNameColumn), (std::vector<std::u16string>{u"n2.jpg", u"n1.jpg", u"n3.txt"}));

  Select({1});
  RightClick(RowPoint(1), {Q(str::kMenuDelete)});
  EXPECT_EQ(Column(kOldNameColumn), (std::vector<std::u16string>{u"a.jpg", u"c.txt"}));
  EXPECT_EQ(Column(kNewNameColumn), (std::vector<std::u16string>{u"n2.jpg", u"n3.txt"}));

  std::filesystem::remove(dir.BytesOf("c.txt"));
  RightClick(RowPoint(0), {Q(str::kMenuRefresh)}, /*thenCloseMessage=*/true);
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
