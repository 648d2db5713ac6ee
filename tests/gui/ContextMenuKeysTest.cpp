// The lists' pop-up menus from the keyboard: Shift+F10 and the menu key open them
// at the current row, as a right click opens them under the mouse.
#include "MainWindowFixture.h"

#include "store/Tproject.h"

#include <QMenu>
#include <QTableView>
#include <QTreeWidget>

#include <string>

namespace {

class ContextMenuKeysTest : public MainWindowFixture {};

TEST_F(ContextMenuKeysTest, ShiftF10AndTheMenuKeyOpenTheListsMenusAtTheCurrentRow) {
  TFormMain& window = StartWindow();
  Ui::TFormMain& form = window.GetUi();
  TProject project;
  window.CollectProjectSettings(project);
  for (const std::string name : {"日記", "料理", "旅行"})
    project.AddCategory(name, "http://b/" + name + "/");
  window.ApplyProjectSettings(project);
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  struct Case {
    const char* List;
    int Page;
    QAbstractItemView* View;
    const char* Menu;
    int Row;
  };
  const std::vector<Case> cases = {
      {"categories", 0, form.ListViewCategory, "PopupMenuCategory", 2},
      // An empty project's grid holds its one empty row.
      {"comments", 1, form.GridComment, "PopupMenuComment", 0},
  };
  const std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {{Qt::Key_F10, Qt::ShiftModifier},
                                                                        {Qt::Key_Menu, Qt::NoModifier}};
  for (const Case& c : cases) {
    for (const auto& [key, modifiers] : keys) {
      SCOPED_TRACE(std::string(c.List) + (key == Qt::Key_Menu ? " menu key" : " Shift+F10"));
      form.PageControl1->setCurrentIndex(c.Page);
      const QModelIndex current = c.View->model()->index(c.Row, 0);
      c.View->setCurrentIndex(current);
      c.View->setFocus();
      ASSERT_TRUE(QTest::qWaitFor([&] { return c.View->hasFocus(); }));
      auto* menu = window.findChild<QMenu*>(QString::fromLatin1(c.Menu));

      // Through the window, as a key from the keyboard arrives.
      QTest::keyClick(window.windowHandle(), key, modifiers);
      ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
      const QRect row = c.View->visualRect(current);
      const QRect shown(c.View->viewport()->mapToGlobal(row.topLeft()), row.size());
      EXPECT_TRUE(shown.contains(menu->pos())) << menu->pos().x() << "," << menu->pos().y() << " outside "
                                               << shown.x() << "," << shown.y() << " " << shown.width() << "x"
                                               << shown.height();
      menu->close();
    }
  }
}

}
