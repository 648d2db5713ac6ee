#include "ui/Tprompts.h"

#include "ui/ShownText.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon BoxIcon(TPrompts::Icon icon) {
  switch (icon) {
  case TPrompts::Icon::Error:
    return QMessageBox::Critical;
  case TPrompts::Icon::Warning:
    return QMessageBox::Warning;
  case TPrompts::Icon::Information:
    return QMessageBox::Information;
  case TPrompts::Icon::Question:
    return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// The text comes from anywhere (file names, blogs, template programs): never HTML.
void SetText(QMessageBox& box, const QString& text) {
  box.setTextFormat(Qt::PlainText);
  box.setText(ShownText(text));
}

std::optional<QString> Chosen(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return dialog.selectedFiles().front();
}

class RealPrompts : public TPrompts {
public:
  void Message(QWidget* parent, Icon icon, const QString& text) override {
    MessageWithDetails(parent, icon, text, QString());
  }

  // The details are a scrolling plain text area: the bounded standard error of a
  // template program shows there whole.
  void MessageWithDetails(QWidget* parent, Icon icon, const QString& text, const QString& details) override {
    QMessageBox box(BoxIcon(icon), QApplication::applicationName(), QString(), QMessageBox::Ok, parent);
    SetText(box, text);
    box.setDetailedText(details);
    box.exec();
  }

  int Choose(QWidget* parent, Icon icon, const QString& text, const QStringList& buttons,
             int escapeButton) override {
    QMessageBox box(BoxIcon(icon), QApplication::applicationName(), QString(), QMessageBox::NoButton, parent);
    SetText(box, text);
    QList<QAbstractButton*> added;
    for (const QString& caption : buttons)
      added.append(box.addButton(caption, QMessageBox::AcceptRole));
    if (!added.isEmpty())
      box.setDefaultButton(static_cast<QPushButton*>(added.front()));
    if (escapeButton >= 0 && escapeButton < added.size())
      box.setEscapeButton(added.at(escapeButton));
    box.exec();
    const qsizetype index = added.indexOf(box.clickedButton());
    return index < 0 ? escapeButton : static_cast<int>(index);
  }

  std::optional<QString> OpenFileName(QWidget* parent, const QString& caption, const QString& start,
                                      const QString& filter) override {
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Chosen(dialog);
  }

  std::optional<QString> SaveFileName(QWidget* parent, const QString& caption, const QString& start,
                                      const QString& filter, const QString& defaultSuffix) override {
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    return Chosen(dialog);
  }

  bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

std::unique_ptr<TPrompts>& Installed() {
  static std::unique_ptr<TPrompts> prompts;
  return prompts;
}

} // namespace

TPrompts& TPrompts::Get() {
  if (!Installed())
    Installed() = std::make_unique<RealPrompts>();
  return *Installed();
}

void TPrompts::Install(std::unique_ptr<TPrompts> prompts) {
  Installed() = std::move(prompts);
}
