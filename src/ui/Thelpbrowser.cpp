#include "ui/Thelpbrowser.h"

#include "text/Tcharconv.h"
#include "text/Tksjisdecoder.h"
#include "ui/Tprompts.h"

#include <QFileInfo>

#include <fstream>
#include <iterator>

namespace {

std::string ReadUtf8(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return IsValidUtf8(bytes) ? bytes : DecodeCodePage932(bytes);
}

}  // namespace

THelpBrowser::THelpBrowser(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  connect(this, &QTextBrowser::anchorClicked, this, &THelpBrowser::FollowLink);
}

void THelpBrowser::ShowDocument(const std::string& path) {
  const QString file = QString::fromStdString(path);
  Base = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
  document()->setBaseUrl(Base);
  setHtml(QString::fromStdString(ReadUtf8(path)));
}

void THelpBrowser::FollowLink(const QUrl& link) {
  const QUrl target = Base.resolved(link);
  if (!target.isLocalFile()) {
    TPrompts::Get().OpenUrl(target);
    return;
  }
  if (target.adjusted(QUrl::RemoveFragment) == Base.adjusted(QUrl::RemoveFragment)) {
    scrollToAnchor(target.fragment());
    return;
  }
  ShowDocument(target.toLocalFile().toStdString());
  if (target.hasFragment())
    scrollToAnchor(target.fragment());
}
