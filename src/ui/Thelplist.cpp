#include "ui/Thelplist.h"

#include "ui/ShownText.h"
#include "ui/Thelpbrowser.h"

#include <QObject>
#include <QSignalBlocker>
#include <QTreeWidget>

void ShowHelpRows(QTreeWidget& list, THelpBrowser& browser, const std::vector<THelpRow>& rows) {
  {
    const QSignalBlocker quiet(list);
    list.clear();
    for (const THelpRow& row : rows) {
      QStringList texts;
      for (const QString& text : row.Texts)
        texts << ShownText(text);
      auto* item = new QTreeWidgetItem(&list, texts);
      item->setData(0, Qt::UserRole, QString::fromStdString(row.HelpPath));
    }
  }
  for (int column = 0; column < list.columnCount(); ++column)
    list.resizeColumnToContents(column);
  QObject::disconnect(&list, nullptr, &browser, nullptr);
  QObject::connect(&list, &QTreeWidget::currentItemChanged, &browser, [&browser](QTreeWidgetItem* current) {
    if (current)
      browser.ShowDocument(current->data(0, Qt::UserRole).toString().toStdString());
  });
  if (!rows.empty())
    list.setCurrentItem(list.topLevelItem(0));
}
