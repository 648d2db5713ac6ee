#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFormAboutBox;
}

// The program's name, version and copyright, with its icon.
class TFormAboutBox : public QDialog {
  Q_OBJECT

public:
  explicit TFormAboutBox(QWidget* parent = nullptr);
  ~TFormAboutBox() override;

private:
  const std::unique_ptr<Ui::TFormAboutBox> Form;
};
