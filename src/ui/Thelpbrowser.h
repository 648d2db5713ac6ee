#pragma once

#include <QTextBrowser>
#include <QUrl>

#include <string>

// The browser of the help dialogs: shows a local help document and follows links
// between local documents itself, while every link to the web opens in the
// user's browser, never inside.
class THelpBrowser : public QTextBrowser {
  Q_OBJECT

public:
  explicit THelpBrowser(QWidget* parent = nullptr);

  // Help documents come in UTF-8 or, from older blog types, in code page 932.
  void ShowDocument(const std::string& path);

private:
  void FollowLink(const QUrl& link);

  QUrl Base;
};
