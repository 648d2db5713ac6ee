#pragma once

#include "store/Tproject.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class TFormDetectCategories;
}

// The categories a detection found, each with a check box, all checked at first;
// the checked ones are what the category list takes.
class TFormDetectCategories : public QDialog {
  Q_OBJECT

public:
  explicit TFormDetectCategories(QWidget* parent = nullptr);
  ~TFormDetectCategories() override;

  void SetCategories(const std::vector<TCategoryData>& categories);
  // In the order they were found.
  std::vector<TCategoryData> GetChecked() const;

private:
  void CheckAll(bool checked);

  const std::unique_ptr<Ui::TFormDetectCategories> Form;
  std::vector<TCategoryData> Categories;
};
