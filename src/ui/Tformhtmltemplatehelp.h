#pragma once

#include "toc/Ttemplatemanager.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class TFormHtmlTemplateHelp;
}

// The templates, and the help document of the chosen one.
class TFormHtmlTemplateHelp : public QDialog {
  Q_OBJECT

public:
  explicit TFormHtmlTemplateHelp(QWidget* parent = nullptr);
  ~TFormHtmlTemplateHelp() override;

  // Replaces the list; the first entry's help is shown at once.
  void SetTemplates(std::vector<THtmlTemplate> entries);

private:
  // Follows the current row, so the arrow keys change the document as a click
  // does; a click on an empty part moves no row and so keeps the document.
  void ListViewBlogClick();

  const std::unique_ptr<Ui::TFormHtmlTemplateHelp> Form;
  std::vector<THtmlTemplate> Entries;
};
