#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TFormComment;
}

// The comment edit dialog: an entry's URL as a link that opens in the browser,
// its title, and its comment to edit.
class TFormComment : public QDialog {
  Q_OBJECT

public:
  explicit TFormComment(QWidget* parent = nullptr);
  ~TFormComment() override;

  void SetUrl(const QString& url);
  void SetTitle(const QString& title);
  void SetComment(const QString& comment);
  QString GetComment() const;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void LabelUrlClick();

  const std::unique_ptr<Ui::TFormComment> Form;
  QString Url;
};
