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
  const std::unique_ptr<Ui::TFormBlogTypeHelp> Form;
};
