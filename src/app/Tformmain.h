#pragma once

#include "crawl/Tblogconfig.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"
#include "toc/Ttemplatemanager.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class TElidedLabel;
class QMenu;
class QTimer;
class TCommentFilter;
class TCommentListModel;
class TOutputNotice;
class TTemplateProgramWatcher;
struct TWorkCopyInfo;

namespace Ui {
class TFormMain;
}

// The program's only top-level window: it holds the current project and offers
// every command through one list of actions shared by the menus, the tool bar,
// the page buttons and the pop-up menus.
class TFormMain : public QMainWindow {
  Q_OBJECT

public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // Where the blog types and templates are scanned; empty (the default) means the
  // program's own folders. Set before the window is shown.
  void SetBlogTypeFolder(const std::string& folder) { BlogTypeFolder = folder; }
  void SetTemplateFolder(const std::string& folder) { TemplateFolder = folder; }
  // A project file to open once the startup steps have made a new project.
  void SetStartupProject(const QString& fileName) { StartupProject = fileName; }

  // True once the startup steps have run (or failed and closed the window).
  bool IsStarted() const { return Started; }
  bool HasStartupFailed() const { return StartupFailed; }
  // The startup steps that run in the first idle call after the window is shown.
  void StartupIdle();

  void UpdateCaption(const std::string& fileName);
  // Throws std::out_of_range when no blog type is selected.
  TBlogConfig GetSelectedBlogType() const;
  // The folder of the blank databases, ending in "/".
  std::string GetDbFolder() const;
  void FormResize();

  TProjectDb& GetDb() { return *Db; }
  const TProject& GetProject() const { return Project; }
  Ui::TFormMain& GetUi() { return *Form; }

  // Set by anything that changes what Save would store or the working copy
  // itself; cleared by New, a successful Open and a successful Save.
  void SetModified(bool modified);
  bool IsModified() const { return Modified; }

  // Project files.
  void ActionFileNewExecute();
  void ActionFileOpenExecute();
  void ActionFileSaveExecute();
  void ActionFileSaveAsExecute();
  void ActionFileCloseExecute();
  // Opens a project file as File Open does after its dialog; on failure it throws
  // and the current project stays.
  void OpenProject(const QString& fileName);
  void ApplyProjectSettings(const TProject& project);
  void CollectProjectSettings(TProject& project);

  // Settings and help.
  void ActionConfigGeneralExecute();
  void ActionBlogTypeTrialExecute();
  void ActionHelpVersionExecute();
  void ActionBlogTypeHelpExecute();
  void ActionHtmlHelpExecute();
  void ComboBoxBlogTypeChange();

  // The blog's categories and their download.
  void ActionInsertCategoryExecute();
  void ActionUpdateCategoryExecute();
  void ActionDeleteCategoryExecute();
  void ActionDownloadCategoryExecute();

  // The entry download.
  void ActionDownloadEntryExecute();

  // The blog type and categories from the top page alone.
  void ActionDetectBlogTypeExecute();

  // The comments page.
  void PageControl1Change();
  void ActionCommentEditExecute();
  void ActionCommentOpenUrlExecute();

  // The table-of-contents page. FillTemplateList is the startup step that fills
  // the template list from Templates, which StartupIdle has scanned.
  void FillTemplateList();
  // Throws std::out_of_range when no template is selected.
  THtmlTemplate GetSelectedTemplate() const;
  void LoadTemplateSettings();
  void ComboBoxHtmlTemplateChange();
  void ActionHtmlMakeExecute();
  // The template share of ApplyProjectSettings / CollectProjectSettings.
  void ApplyTemplateSettings(const TProject& project);
  void CollectTemplateSettings(TProject& project);

  // Runs a command, showing an error that escapes it in an error box; false when
  // it failed.
  bool RunCommand(const std::function<void()>& command);

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void CreateActionLinks();
  void CreatePopupMenus();
  void CreateCommentPage();
  void CreateDetectionStatus();
  // The top page's address for a command that reads it, completed with https://
  // when the user agrees; nullopt when there is none or the user declined.
  std::optional<std::string> AskTopPageUrl();
  void SelectBlogType(const TBlogConfig& blogType);
  void OfferCategories(const std::vector<TCategoryData>& categories);
  // The entry row of the comments table that is selected; -1 for none.
  int SelectedCommentRow() const;
  void ShowCommentCount();
  // Reloads the comments page after a download when it is the page shown.
  void ShowDownloadedEntries();
  void SetActionIcons();
  void WatchProjectControls();
  void LoadBlogTypes();
  // Offers the working copies of runs that crashed for recovery; true when one was
  // recovered.
  bool OfferRecovery();
  void OpenStartupProject(bool recovered);
  void RecoverWorkCopy(const TWorkCopyInfo& orphan);
  // Before New, Open or closing: false when the user cancelled, or chose to save
  // and the save did not happen.
  bool AskToSaveChanges();
  void KeepSettingsInWorkCopy();
  bool SaveProjectAs();
  bool SaveProject();
  void FormClose();
  // The template programs of make runs.
  TOutputNotice* AddOutputNotice(const QString& outputFile);
  void WatchTemplateProgram(TTemplateProgramWatcher* watcher, TOutputNotice* notice, const QString& outputFile);
  QList<TTemplateProgramWatcher*> RunningTemplatePrograms() const;
  // Before closing: true when the window may close now.
  bool AskToCloseWithPrograms();
  void LeaveTemplateProgramsRunning();

  std::unique_ptr<Ui::TFormMain> Form;
  QMenu* PopupMenuCategory = nullptr;
  QMenu* PopupMenuComment = nullptr;
  // The reason of the last detection.
  TElidedLabel* DetectionStatus = nullptr;

  std::string BlogTypeFolder;
  std::string TemplateFolder;
  QString StartupProject;
  std::string CaptionFileName;
  bool StartupQueued = false;
  bool Started = false;
  bool StartupFailed = false;
  bool Modified = false;
  // The user chose to close once the running template programs have ended.
  bool CloseWhenProgramsEnd = false;
  // The blog type whose description the list shows; choosing it again is no change.
  int LoadedBlogTypeIndex = -1;

  // Destroyed in the reverse order: BlogTypes first, Project last.
  TProject Project;
  // The entries and categories of the comments page, loaded while it is shown.
  TCommentListModel* CommentList = nullptr;
  TCommentFilter* CommentFilter = nullptr;
  QTimer* CommentFilterDelay = nullptr;
  // The width that shows the loaded entries' longest title whole.
  int WidestTitle = 0;
  TTemplateManager Templates;
  TBlogConfigManager BlogTypes;
  std::unique_ptr<TProjectDb> Db;
  int LoadedTemplateIndex = 0;
};
