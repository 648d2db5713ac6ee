#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFormConfigGeneral;
}

// The general settings dialog: the connection settings of TAppConfig. OK stores
// them there and returns Accepted; saving the settings file is the caller's.
class TFormConfigGeneral : public QDialog {
  Q_OBJECT

public:
  explicit TFormConfigGeneral(QWidget* parent = nullptr);
  ~TFormConfigGeneral() override;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void RadioButtonUseProxy1Click();
  void BtnOKClick();

  const std::unique_ptr<Ui::TFormConfigGeneral> Form;
};
