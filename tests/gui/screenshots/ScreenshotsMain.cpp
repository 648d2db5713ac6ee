// tocwerk-screenshots PROJECT FOLDER: starts the real main window on the
// offscreen platform with PROJECT open and writes a PNG of each page, the File
// menu and each dialog into FOLDER.
#include "app/Tappstartup.h"
#include "app/Tformmain.h"
#include "app/Toutputnotice.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QRawFont>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include "crawl/Tblogconfig.h"
#include "toc/Ttemplatemanager.h"
#include "ui/Tcrawldialog.h"
#include "ui/Tformaboutbox.h"
#include "ui/Tformblogtypehelp.h"
#include "ui/Tformblogtypetrial.h"
#include "ui/Tformcategory.h"
#include "ui/Tformcomment.h"
#include "ui/Tformdetectcategories.h"
#include "ui/Tformconfiggeneral.h"
#include "ui/Tformdownloadentry.h"
#include "ui/Tformdownloadcategory.h"
#include "ui/Tformhtmltemplatehelp.h"
#include "ui/Tformmakinghtmlstatus.h"

#include "support/LoopbackPorts.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

constexpr qint64 MaxPngBytes = 200 * 1024;
const QSize WindowSize(760, 560);

// Nothing may wait for a user here: a prompt is answered Cancel and fails the run.
class RefusedPrompts : public TPrompts {
public:
  bool AnyRefused() const { return Refused; }

  void Message(QWidget*, Icon, const QString& text) override { Refuse(text); }
  void MessageWithDetails(QWidget*, Icon, const QString& text, const QString&) override { Refuse(text); }
  int Choose(QWidget*, Icon, const QString& text, const QStringList&, int escapeButton) override {
    Refuse(text);
    return escapeButton;
  }
  std::optional<QString> OpenFileName(QWidget*, const QString& caption, const QString&, const QString&) override {
    Refuse(caption);
    return std::nullopt;
  }
  std::optional<QString> SaveFileName(QWidget*, const QString& caption, const QString&, const QString&,
                                      const QString&) override {
    Refuse(caption);
    return std::nullopt;
  }
  bool OpenUrl(const QUrl& url) override {
    Refuse(url.toString());
    return false;
  }

private:
  void Refuse(const QString& text) {
    std::fprintf(stderr, "tocwerk-screenshots: unexpected prompt: %s\n", qPrintable(text));
    Refused = true;
  }

  bool Refused = false;
};

void Settle() {
  for (int round = 0; round < 5; ++round)
    QApplication::processEvents();
}

void WaitForStartup(const TFormMain& window) {
  QElapsedTimer timer;
  timer.start();
  while (!window.IsStarted()) {
    if (timer.elapsed() > 30000)
      throw std::runtime_error("the window did not start");
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  if (window.HasStartupFailed())
    throw std::runtime_error("the window's startup failed");
}

void Save(const QPixmap& picture, const QString& folder, const QString& name) {
  const QString path = QDir(folder).filePath(name + u".png"_s);
  if (!picture.save(path))
    throw std::runtime_error("cannot write " + path.toStdString());
  if (QFileInfo(path).size() > MaxPngBytes)
    throw std::runtime_error(path.toStdString() + " is larger than 200 KB");
  std::printf("%s\n", qPrintable(path));
}

void Save(QWidget* widget, const QString& folder, const QString& name) {
  Save(widget->grab(), folder, name);
}

void SaveDialog(QDialog& dialog, const QString& folder, const QString& name) {
  dialog.open();
  Settle();
  Save(&dialog, folder, name);
  dialog.close();
}

void SavePages(TFormMain& window, const QString& folder) {
  QTabWidget* pages = window.GetUi().PageControl1;
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    Settle();
    Save(&window, folder, u"main-page%1"_s.arg(page + 1));
  }
  pages->setCurrentIndex(0);
  QMenu* file = window.GetUi().MenuFile;
  file->popup(window.mapToGlobal(QPoint(0, 0)));
  Settle();
  Save(file, folder, u"main-menu-file"_s);
  file->close();
}

// Page 3 with two runs of the template in the status bar: one done, one running.
void SaveRunningNotices(TFormMain& window, const QString& folder) {
  window.GetUi().PageControl1->setCurrentIndex(2);
  std::vector<TOutputNotice*> notices;
  for (const QString& name : {u"目次.html"_s, u"目次-新しい並び順.html"_s}) {
    auto* notice = new TOutputNotice(window.statusBar());
    window.statusBar()->addPermanentWidget(notice, 1);
    notice->ShowRunning(QDir::home().filePath(name));
    notices.push_back(notice);
  }
  notices.front()->ShowDone(QDir::home().filePath(u"目次.html"_s));
  Settle();
  Save(&window, folder, u"main-page3-running"_s);
  for (TOutputNotice* notice : notices)
    delete notice;
  window.GetUi().PageControl1->setCurrentIndex(0);
}

// Page 3 with the drop-down of a setting's declared values open. The list is a
// window of its own, so it is drawn onto the main window's picture where it shows.
void SaveValueDropDown(TFormMain& window, const QString& folder) {
  Ui::TFormMain& form = window.GetUi();
  form.PageControl1->setCurrentIndex(2);
  QTableWidget* editor = form.EditHtmlConf;
  const QList<QTableWidgetItem*> order = editor->findItems(u"並び順"_s, Qt::MatchExactly);
  if (order.isEmpty())
    throw std::runtime_error("the template has no setting 並び順");
  editor->setCurrentCell(order.front()->row(), 1);
  editor->editItem(editor->item(order.front()->row(), 1));
  Settle();
  auto* combo = editor->viewport()->findChild<QComboBox*>();
  if (!combo)
    throw std::runtime_error("並び順 has no drop-down");
  combo->showPopup();
  Settle();
  QPixmap picture = window.grab();
  QWidget* popup = combo->view()->window();
  QPainter painter(&picture);
  painter.drawPixmap(window.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
  painter.end();
  Save(picture, folder, u"main-page3-values"_s);
  combo->hidePopup();
  editor->closePersistentEditor(editor->item(order.front()->row(), 1));
  editor->setCurrentCell(-1, -1);
  Settle();
  form.PageControl1->setCurrentIndex(0);
}

// Page 2 with a filter typed in full-width letters, once the pause after typing
// has passed.
void SaveCommentFilter(TFormMain& window, const QString& folder) {
  Ui::TFormMain& form = window.GetUi();
  form.PageControl1->setCurrentIndex(1);
  form.EditCommentFilter->setText(u"ｒ＆ｄ"_s);
  const auto* delay = window.findChild<QTimer*>(u"CommentFilterDelay"_s);
  QElapsedTimer timer;
  timer.start();
  while (delay->isActive() && timer.elapsed() < 10000)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  Settle();
  Save(&window, folder, u"main-page2-filter"_s);
  form.EditCommentFilter->clear();
  form.PageControl1->setCurrentIndex(0);
}

// Runs the action, whose crawl dialog is modal, and grabs the dialog once its crawl
// has ended and the log's last batch is shown.
void SaveCrawlDialog(QAction* action, const QString& folder, const QString& name) {
  constexpr int QuietTicks = 5;
  int ticks = 0;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<TCrawlDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->IsRunning() || ++ticks < QuietTicks)
      return;
    watch.stop();
    Save(dialog, folder, name);
    dialog->close();
  });
  watch.start(50);
  action->trigger();
  if (ticks < QuietTicks)
    throw std::runtime_error(name.toStdString() + " was not shown");
}

// The workbench after a fetch of the project's top page with the shipped blog type.
void SaveBlogTypeTrial(TFormMain& window, const QString& folder) {
  TFormBlogTypeTrial dialog(&window);
  dialog.SetBlogTypeFolder({}, window.GetSelectedBlogType().GetFileName());
  dialog.SetUrl(window.GetUi().EditEntryUrl->text());
  dialog.open();
  dialog.Fetch();
  QElapsedTimer timer;
  timer.start();
  while (dialog.IsRunning()) {
    if (timer.elapsed() > 30000)
      throw std::runtime_error("the workbench did not end its trial");
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  // The long lists of addresses folded, so that every function shows; the date's row chosen.
  auto* tree = dialog.findChild<QTreeWidget*>(u"TreeResult"_s);
  for (const QString& function : {u"GetCategoryList"_s, u"GetEntryList"_s, u"GetEntryUrl"_s})
    for (QTreeWidgetItem* item : tree->findItems(function, Qt::MatchExactly, 0))
      item->setExpanded(false);
  for (QTreeWidgetItem* item : tree->findItems(u"GetDate"_s, Qt::MatchExactly, 0))
    tree->setCurrentItem(item);
  Settle();
  Save(&dialog, folder, u"dialog-blog-type-trial"_s);
  dialog.close();
}

// The entry crawl of an address on loopback where nothing listens: its log shows
// the network's message in Japanese.
void SaveNetworkError(TFormMain& window, const QString& folder) {
  QLineEdit* address = window.GetUi().EditEntryUrl;
  const QString blog = address->text();
  address->setText(u"http://127.0.0.1:%1/"_s.arg(ClosedPort()));
  SaveCrawlDialog(window.GetUi().ActionDownloadEntry, folder, u"dialog-network-error"_s);
  address->setText(blog);
}

void SaveDialogs(TFormMain& window, const QString& folder) {
  {
    TFormCategory dialog(&window);
    dialog.SetName(u"日記"_s);
    dialog.SetUrl(u"http://127.0.0.1/category/diary/"_s);
    SaveDialog(dialog, folder, u"dialog-category"_s);
  }
  {
    TFormComment dialog(&window);
    dialog.SetUrl(u"http://127.0.0.1/entry/33.html"_s);
    dialog.SetTitle(u"R&D 日誌 #33"_s);
    dialog.SetComment(u"研究開発の記録。\n次の回で表をまとめる。"_s);
    SaveDialog(dialog, folder, u"dialog-comment"_s);
  }
  {
    TFormConfigGeneral dialog(&window);
    SaveDialog(dialog, folder, u"dialog-config-general"_s);
  }
  SaveCrawlDialog(window.GetUi().ActionDownloadEntry, folder, u"dialog-download-entry"_s);
  SaveCrawlDialog(window.GetUi().ActionDownloadCategory, folder, u"dialog-download-category"_s);
  SaveNetworkError(window, folder);
  {
    TFormMakingHtmlStatus dialog(&window);
    Save(&dialog, folder, u"dialog-making-html-status"_s);
  }
  {
    TBlogConfigManager blogTypes;
    blogTypes.Load();
    TFormBlogTypeHelp dialog(&window);
    dialog.SetBlogConfigs(blogTypes.GetBlogConfigs());
    SaveDialog(dialog, folder, u"dialog-blog-type-help"_s);
  }
  SaveBlogTypeTrial(window, folder);
  {
    TTemplateManager templates;
    templates.Load();
    TFormHtmlTemplateHelp dialog(&window);
    dialog.SetTemplates(templates.GetTemplates());
    SaveDialog(dialog, folder, u"dialog-html-template-help"_s);
  }
  {
    TFormAboutBox dialog(&window);
    SaveDialog(dialog, folder, u"dialog-about"_s);
  }
}

// 自動判定 on page 1: before it with only the top page typed, the choice of the
// categories it found, and the page after it with the reason in the status bar.
void SaveDetection(TFormMain& window, const QString& folder) {
  Ui::TFormMain& form = window.GetUi();
  form.PageControl1->setCurrentIndex(0);
  form.ComboBoxBlogType->setCurrentIndex(-1);
  form.ListViewCategory->clear();
  Settle();
  Save(&window, folder, u"main-page1-detect-before"_s);
  bool shown = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<TFormDetectCategories*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible())
      return;
    watch.stop();
    shown = true;
    Settle();
    Save(dialog, folder, u"dialog-detect-categories"_s);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  watch.start(50);
  form.ActionDetectBlogType->trigger();
  if (!shown)
    throw std::runtime_error("自動判定 offered no categories");
  Settle();
  Save(&window, folder, u"main-page1-detect-after"_s);
}

}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() != 3) {
    std::fprintf(stderr, "usage: tocwerk-screenshots PROJECT FOLDER\n");
    return 2;
  }
  try {
    PrepareApplication(application);
    if (!QRawFont::fromFont(QApplication::font()).supportsCharacter(u'あ'))
      throw std::runtime_error("the font " + QApplication::font().family().toStdString() +
                               " has no Japanese glyphs; install fonts-noto-cjk");
    auto prompts = std::make_unique<RefusedPrompts>();
    const RefusedPrompts& refused = *prompts;
    TPrompts::Install(std::move(prompts));
    QDir().mkpath(arguments.at(2));
    TFormMain window;
    window.SetStartupProject(arguments.at(1));
    window.resize(WindowSize);
    window.show();
    WaitForStartup(window);
    SavePages(window, arguments.at(2));
    SaveCommentFilter(window, arguments.at(2));
    SaveRunningNotices(window, arguments.at(2));
    SaveValueDropDown(window, arguments.at(2));
    SaveDialogs(window, arguments.at(2));
    SaveDetection(window, arguments.at(2));
    if (refused.AnyRefused())
      return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tocwerk-screenshots: %s\n", error.what());
    return 1;
  }
  return 0;
}
