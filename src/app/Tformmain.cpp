#include "app/Tformmain.h"

#include "app/Twindowstate.h"
#include "net/Tappconfig.h"
#include "store/Tkappfolder.h"
#include "toc/Tgenerationdb.h"
#include "ui/ShownText.h"
#include "ui/ShownTextDelegate.h"
#include "ui/Tchoicedelegate.h"
#include "ui/Tcommentcolumns.h"
#include "ui/Tformconfiggeneral.h"
#include "ui/Tlistpopupmenu.h"
#include "ui/Tprompts.h"
#include "ui/Tscreenfit.h"
#include "ui_Tformmain.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

#include <filesystem>
#include <stdexcept>

namespace {

using namespace Qt::StringLiterals;

const QString ApplicationTitle = u"Tocwerk"_s;

// A page button shows its action and runs it; the action keeps the one caption,
// picture and hint that the menus and pop-ups use too.
void BindButton(QPushButton* button, QAction* action) {
  button->setText(action->text());
  button->setIcon(action->icon());
  button->setToolTip(action->toolTip());
  button->setStatusTip(action->statusTip());
  QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
}

}

TFormMain::TFormMain(QWidget* parent)
    : QMainWindow(parent), Form(std::make_unique<Ui::TFormMain>()), Db(std::make_unique<TProjectDb>()) {
  Form->setupUi(this);
  SetActionIcons();
  CreateActionLinks();
  CreatePopupMenus();
  CreateCommentPage();
  CreateDetectionStatus();
  WatchProjectControls();
  // The values take what the names leave: no scroll bar to reach their column.
  Form->EditHtmlConf->horizontalHeader()->setStretchLastSection(true);
  CommentColumns::SetDefaultWidths(*Form->GridComment);
  Form->ListViewCategory->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  Form->ListViewCategory->setItemDelegate(new TShownTextDelegate(Form->ListViewCategory));
  Form->EditHtmlConf->setItemDelegate(new TChoiceDelegate(Form->EditHtmlConf));
  // The grid is laid out only while its page shows, so it follows its own size too.
  Form->GridComment->viewport()->installEventFilter(this);
  // A URL is typed in Latin letters: no input method.
  Form->EditEntryUrl->setAttribute(Qt::WA_InputMethodEnabled, false);
  UpdateCaption("");
  Form->PageControl1->setCurrentIndex(0);
  WindowState::Restore(*this, *Form->GridComment);
}

TFormMain::~TFormMain() {
  FormClose();
}

void TFormMain::SetActionIcons() {
  const auto icon = [this](const QString& themeName, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(themeName, style()->standardIcon(fallback));
  };
  Form->ActionFileNew->setIcon(icon(u"document-new"_s, QStyle::SP_FileIcon));
  Form->ActionFileOpen->setIcon(icon(u"document-open"_s, QStyle::SP_DialogOpenButton));
  Form->ActionFileSave->setIcon(icon(u"document-save"_s, QStyle::SP_DialogSaveButton));
  const QIcon download = icon(u"go-down"_s, QStyle::SP_ArrowDown);
  Form->ActionDownloadEntry->setIcon(download);
  Form->ActionDownloadCategory->setIcon(download);
  Form->ActionHtmlMake->setIcon(icon(u"text-html"_s, QStyle::SP_FileDialogDetailedView));
}

void TFormMain::CreateActionLinks() {
  const auto link = [this](QAction* action, void (TFormMain::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
  };
  link(Form->ActionFileNew, &TFormMain::ActionFileNewExecute);
  link(Form->ActionFileOpen, &TFormMain::ActionFileOpenExecute);
  link(Form->ActionFileSave, &TFormMain::ActionFileSaveExecute);
  link(Form->ActionFileSaveAs, &TFormMain::ActionFileSaveAsExecute);
  link(Form->ActionFileClose, &TFormMain::ActionFileCloseExecute);
  link(Form->ActionConfigGeneral, &TFormMain::ActionConfigGeneralExecute);
  link(Form->ActionBlogTypeTrial, &TFormMain::ActionBlogTypeTrialExecute);
  link(Form->ActionHelpVersion, &TFormMain::ActionHelpVersionExecute);
  link(Form->ActionBlogTypeHelp, &TFormMain::ActionBlogTypeHelpExecute);
  link(Form->ActionDownloadEntry, &TFormMain::ActionDownloadEntryExecute);
  link(Form->ActionDetectBlogType, &TFormMain::ActionDetectBlogTypeExecute);
  link(Form->ActionInsertCategory, &TFormMain::ActionInsertCategoryExecute);
  link(Form->ActionUpdateCategory, &TFormMain::ActionUpdateCategoryExecute);
  link(Form->ActionDeleteCategory, &TFormMain::ActionDeleteCategoryExecute);
  link(Form->ActionDownloadCategory, &TFormMain::ActionDownloadCategoryExecute);
  link(Form->ActionCommentEdit, &TFormMain::ActionCommentEditExecute);
  link(Form->ActionCommentOpenUrl, &TFormMain::ActionCommentOpenUrlExecute);
  link(Form->ActionHtmlMake, &TFormMain::ActionHtmlMakeExecute);
  link(Form->ActionHtmlHelp, &TFormMain::ActionHtmlHelpExecute);

  BindButton(Form->ButtonBlogTypeHelp, Form->ActionBlogTypeHelp);
  BindButton(Form->ButtonDownloadEntry, Form->ActionDownloadEntry);
  BindButton(Form->ButtonDetectBlogType, Form->ActionDetectBlogType);
  BindButton(Form->ButtonInsertCategory, Form->ActionInsertCategory);
  BindButton(Form->ButtonUpdateCategory, Form->ActionUpdateCategory);
  BindButton(Form->ButtonDeleteCategory, Form->ActionDeleteCategory);
  BindButton(Form->ButtonDownloadCategory, Form->ActionDownloadCategory);
  BindButton(Form->ButtonCommentEdit, Form->ActionCommentEdit);
  BindButton(Form->ButtonHtmlHelp, Form->ActionHtmlHelp);
  BindButton(Form->ButtonHtmlMake, Form->ActionHtmlMake);
}

void TFormMain::CreatePopupMenus() {
  PopupMenuCategory = new QMenu(this);
  PopupMenuCategory->setObjectName(u"PopupMenuCategory"_s);
  PopupMenuCategory->addAction(Form->ActionInsertCategory);
  PopupMenuCategory->addAction(Form->ActionUpdateCategory);
  PopupMenuCategory->addAction(Form->ActionDeleteCategory);
  PopupMenuCategory->addSeparator();
  PopupMenuCategory->addAction(Form->ActionDownloadCategory);
  new TListPopupMenu(Form->ListViewCategory, PopupMenuCategory);

  PopupMenuComment = new QMenu(this);
  PopupMenuComment->setObjectName(u"PopupMenuComment"_s);
  PopupMenuComment->addAction(Form->ActionCommentEdit);
  PopupMenuComment->addAction(Form->ActionCommentOpenUrl);
  new TListPopupMenu(Form->GridComment, PopupMenuComment);
}

// Only the user's own changes mark the project modified: filling the controls
// from a project goes through signals that these do not listen to.
void TFormMain::WatchProjectControls() {
  connect(Form->ComboBoxBlogType, &QComboBox::activated, this, [this](int index) {
    if (index == LoadedBlogTypeIndex)
      return;
    SetModified(true);
    RunCommand([this] { ComboBoxBlogTypeChange(); });
  });
  connect(Form->EditEntryUrl, &QLineEdit::textEdited, this, [this] { SetModified(true); });
  connect(Form->ComboBoxHtmlTemplate, &QComboBox::activated, this,
          [this] { RunCommand([this] { ComboBoxHtmlTemplateChange(); }); });
  connect(Form->PageControl1, &QTabWidget::currentChanged, this,
          [this] { RunCommand([this] { PageControl1Change(); }); });
}

bool TFormMain::RunCommand(const std::function<void()>& command) {
  try {
    command();
    return true;
  } catch (const std::exception& error) {
    TPrompts::Get().Message(this, TPrompts::Icon::Error, QString::fromStdString(error.what()));
  } catch (...) {
    TPrompts::Get().Message(this, TPrompts::Icon::Error, QString());
  }
  return false;
}

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!StartupQueued) {
    // Again, now that the platform may tell the frame around the window.
    FitIntoScreen(*this);
    StartupQueued = true;
    QTimer::singleShot(0, this, &TFormMain::StartupIdle);
  }
}

void TFormMain::StartupIdle() {
  try {
    TAppConfig* config = TAppConfig::GetInstance();
    config->Load(config->GetFileName());
    RemoveStaleGenerationDbs();
    LoadBlogTypes();
    if (TemplateFolder.empty())
      Templates.Load();
    else
      Templates.LoadFrom(TemplateFolder);
    FillTemplateList();
    ActionFileNewExecute();
    OpenStartupProject(OfferRecovery());
    FormResize();
    Started = true;
  } catch (const std::exception& error) {
    StartupFailed = true;
    Started = true;
    TPrompts::Get().Message(this, TPrompts::Icon::Error, QString::fromStdString(error.what()));
    close();
  }
}

void TFormMain::LoadBlogTypes() {
  if (BlogTypeFolder.empty())
    BlogTypes.Load();
  else
    BlogTypes.LoadFrom(BlogTypeFolder);
  Form->ComboBoxBlogType->clear();
  // The project keeps the name alone; the label only tells same-named ones apart.
  const std::vector<TBlogConfig> blogTypes = BlogTypes.GetBlogConfigs();
  const std::vector<std::string> labels = BlogTypeLabels(blogTypes);
  for (size_t i = 0; i < blogTypes.size(); ++i)
    Form->ComboBoxBlogType->addItem(QString::fromStdString(labels[i]), QString::fromStdString(blogTypes[i].GetName()));
  if (Form->ComboBoxBlogType->count() > 0) {
    Form->ComboBoxBlogType->setCurrentIndex(0);
    ComboBoxBlogTypeChange();
  }
  // The blog types that failed alone are left out of the list; say which.
  QStringList problems;
  for (const std::string& problem : BlogTypes.GetLoadErrors())
    problems << QString::fromStdString(problem);
  if (!problems.isEmpty())
    TPrompts::Get().Message(this, TPrompts::Icon::Warning, problems.join(u'\n'));
}

void TFormMain::UpdateCaption(const std::string& fileName) {
  CaptionFileName = fileName;
  QString caption = ApplicationTitle;
  if (!fileName.empty())
    caption += u" - "_s + ShownText(std::filesystem::path(fileName).filename().string());
  setWindowTitle(Modified ? caption + u"*"_s : caption);
}

// Whatever marks the project modified may have changed its settings, which
// otherwise live only in the controls until Save.
void TFormMain::SetModified(bool modified) {
  if (modified)
    KeepSettingsInWorkCopy();
  if (Modified == modified)
    return;
  Modified = modified;
  UpdateCaption(CaptionFileName);
}

// Only a safety net for recovery: Save writes them again and reports what fails.
void TFormMain::KeepSettingsInWorkCopy() {
  try {
    TProject onScreen = Project;
    CollectProjectSettings(onScreen);
    onScreen.StoreSettings(*Db);
  } catch (const std::exception&) {
  }
}

TBlogConfig TFormMain::GetSelectedBlogType() const {
  const int index = Form->ComboBoxBlogType->currentIndex();
  const std::vector<TBlogConfig> blogTypes = BlogTypes.GetBlogConfigs();
  if (index < 0)
    throw std::out_of_range("no blog type is selected");
  return blogTypes.at(static_cast<std::size_t>(index));
}

std::string TFormMain::GetDbFolder() const {
  return ::GetDbFolder();
}

void TFormMain::ComboBoxBlogTypeChange() {
  LoadedBlogTypeIndex = Form->ComboBoxBlogType->currentIndex();
  Form->ComboBoxBlogType->setStatusTip(ShownText(GetSelectedBlogType().GetSimpleText()));
}

void TFormMain::FormResize() {
  CommentColumns::Fit(*Form->GridComment, WidestTitle);
}

void TFormMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Form->GridComment->viewport() && event->type() == QEvent::Resize)
    FormResize();
  return QMainWindow::eventFilter(watched, event);
}

void TFormMain::ActionConfigGeneralExecute() {
  TFormConfigGeneral dialog(this);
  if (dialog.exec() == QDialog::Accepted) {
    const TAppConfig* config = TAppConfig::GetInstance();
    config->Save(config->GetFileName());
  }
}

void TFormMain::ActionFileCloseExecute() {
  close();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (!AskToCloseWithPrograms() || (Db && !StartupFailed && !AskToSaveChanges())) {
    event->ignore();
    return;
  }
  LeaveTemplateProgramsRunning();
  WindowState::Save(*this, *Form->GridComment);
  FormClose();
  event->accept();
}

// The project database goes first; the working copy goes with it.
void TFormMain::FormClose() {
  Db.reset();
}
