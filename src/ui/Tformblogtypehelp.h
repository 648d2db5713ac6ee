#pragma once

#include "crawl/Tblogconfig.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class TFormBlogTypeHelp;
}

// The blog types with their one-line help, and the help document of the chosen one.
class TFormBlogTypeHelp : public QDialog {
  Q_OBJECT

public:
  explicit TFormBlogTypeHelp(QWidget* parent = nullptr);
  ~TFormBlogTypeHelp() override;

  // Replaces the list; the first entry's help is shown at once.
  void SetBlogConfigs(std::vector<TBlogConfig> entries);

private:
  // Follows the current row, so the arrow keys change the document as a click
  // does; a click on an empty part moves no row and so keeps the document.
  void ListViewBlogClick();

  const std::unique_ptr<Ui::TFormBlogTypeHelp> Form;
  std::vector<TBlogConfig> Entries;
};
