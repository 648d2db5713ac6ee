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
  const std::unique_ptr<Ui::TFormHtmlTemplateHelp> Form;
};
