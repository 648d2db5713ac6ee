#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TFormCategory;
}

// The category edit dialog: a name and a URL, both required. exec() returns
// Accepted only once OK found both filled in.
class TFormCategory : public QDialog {
  Q_OBJECT

public:
  explicit TFormCategory(QWidget* parent = nullptr);
  ~TFormCategory() override;

  void SetName(const QString& name);
  void SetUrl(const QString& url);
  QString GetName() const;
  QString GetUrl() const;

private:
  void BtnOkClick();

  const std::unique_ptr<Ui::TFormCategory> Form;
};
