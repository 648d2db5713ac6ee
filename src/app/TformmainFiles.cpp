#include "app/Tformmain.h"

#include "store/Tkworkcopy.h"
#include "ui/Tbusycursor.h"
#include "ui/Telidedlabel.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

#include <QDateTime>

namespace {

using namespace Qt::StringLiterals;

const QString ProjectFilter = u"Tocwerkプロジェクトファイル (*.proj);;すべてのファイル (*)"_s;
const QString UnsavedQuestion = u"プロジェクトは変更されています。保存しますか？"_s;
const QString RecoveryQuestion = u"前回異常終了したときの作業内容があります。復元しますか？"_s;
const QString NotOpenedAfterRecovery =
    u"復元した作業内容を開いているため、次のファイルは開きませんでした。\n"
    u"復元した内容を保存してから開いてください。\n\n%1"_s;
enum UnsavedAnswer { AnswerSave, AnswerDiscard, AnswerCancel };
enum RecoveryAnswer { AnswerRecover, AnswerDelete, AnswerLater };

QString DescribeOrphan(const TWorkCopyInfo& orphan) {
  const QString project = orphan.ProjectFile.empty() ? u"（保存していないプロジェクト）"_s
                                                     : QString::fromStdString(orphan.ProjectFile);
  const QString time =
      QDateTime::fromSecsSinceEpoch(static_cast<qint64>(orphan.Modified)).toString(u"yyyy/MM/dd HH:mm"_s);
  return RecoveryQuestion + u"\n\n"_s + project + u"\n"_s + time;
}

}

void TFormMain::ActionFileNewExecute() {
  if (!AskToSaveChanges())
    return;
  Db->Close();
  Db->New(GetDbFolder() + "blog.mdb");
  Project = TProject();
  ApplyProjectSettings(Project);
  SetModified(false);
  UpdateCaption(Project.GetFileName());
  Form->PageControl1->setCurrentIndex(0);
}

void TFormMain::ActionFileOpenExecute() {
  if (!AskToSaveChanges())
    return;
  const std::optional<QString> fileName = TPrompts::Get().OpenFileName(
      this, u"開く"_s, QString::fromStdString(Project.GetFileName()), ProjectFilter);
  if (fileName)
    OpenProject(*fileName);
}

void TFormMain::OpenProject(const QString& fileName) {
  TBusyCursor busy;
  Project.Load(fileName.toStdString(), *Db);
  ApplyProjectSettings(Project);
  SetModified(false);
  UpdateCaption(Project.GetFileName());
  Form->PageControl1->setCurrentIndex(0);
}

void TFormMain::ActionFileSaveExecute() {
  SaveProject();
}

void TFormMain::ActionFileSaveAsExecute() {
  SaveProjectAs();
}

bool TFormMain::SaveProject() {
  if (Project.GetFileName().empty())
    return SaveProjectAs();
  TBusyCursor busy;
  CollectProjectSettings(Project);
  Project.Save(Project.GetFileName(), *Db);
  SetModified(false);
  UpdateCaption(Project.GetFileName());
  return true;
}

bool TFormMain::SaveProjectAs() {
  const std::optional<QString> fileName = TPrompts::Get().SaveFileName(
      this, u"名前を付けて保存"_s, QString::fromStdString(Project.GetFileName()), ProjectFilter, u"proj"_s);
  if (!fileName)
    return false;
  TBusyCursor busy;
  // A failed save keeps the file the project had, for the next Save.
  TProject saved;
  CollectProjectSettings(saved);
  saved.Save(fileName->toStdString(), *Db);
  Project = std::move(saved);
  SetModified(false);
  UpdateCaption(Project.GetFileName());
  return true;
}

bool TFormMain::AskToSaveChanges() {
  if (!Modified)
    return true;
  const int answer = TPrompts::Get().Choose(this, TPrompts::Icon::Question, UnsavedQuestion,
                                            {u"保存"_s, u"保存しない"_s, u"キャンセル"_s}, AnswerCancel);
  if (answer == AnswerCancel)
    return false;
  if (answer == AnswerDiscard)
    return true;
  bool saved = false;
  RunCommand([this, &saved] { saved = SaveProject(); });
  return saved;
}

void TFormMain::ApplyProjectSettings(const TProject& project) {
  QComboBox* blogTypes = Form->ComboBoxBlogType;
  const int match = blogTypes->findData(QString::fromStdString(project.GetBlogTypeName()));
  if (blogTypes->count() > 0) {
    blogTypes->setCurrentIndex(std::max(match, 0));
    ComboBoxBlogTypeChange();
  }
  Form->EditEntryUrl->setText(QString::fromStdString(project.GetEntryUrl()));
  DetectionStatus->SetFullText(QString());
  Form->ListViewCategory->clear();
  for (unsigned index = 0; index < project.GetCategoryCount(); ++index) {
    const TCategoryData category = project.GetCategory(index);
    new QTreeWidgetItem(Form->ListViewCategory,
                        {QString::fromStdString(category.name), QString::fromStdString(category.url)});
  }
  ApplyTemplateSettings(project);
}

void TFormMain::CollectProjectSettings(TProject& project) {
  project.SetBlogTypeName(Form->ComboBoxBlogType->currentData().toString().toStdString());
  project.SetEntryUrl(Form->EditEntryUrl->text().toStdString());
  project.ClearCategories();
  QTreeWidget* categories = Form->ListViewCategory;
  for (int row = 0; row < categories->topLevelItemCount(); ++row) {
    const QTreeWidgetItem* item = categories->topLevelItem(row);
    project.AddCategory(item->text(0).toStdString(), item->text(1).toStdString());
  }
  CollectTemplateSettings(project);
}

// A restored working copy replaces the current project, so once one is restored
// the others wait for the next start.
bool TFormMain::OfferRecovery() {
  std::vector<TWorkCopyInfo> orphans;
  RunCommand([&orphans] { orphans = TProjectDb::ListOrphanedWorkCopies(); });
  for (const TWorkCopyInfo& orphan : orphans) {
    const int answer = TPrompts::Get().Choose(this, TPrompts::Icon::Question, DescribeOrphan(orphan),
                                              {u"復元"_s, u"破棄"_s, u"後で"_s}, AnswerLater);
    if (answer == AnswerDelete)
      RunCommand([&orphan] { TProjectDb::DiscardOrphanedWorkCopy(orphan); });
    if (answer == AnswerRecover && RunCommand([this, &orphan] { RecoverWorkCopy(orphan); }))
      return true;
  }
  return false;
}

// A project file named at the start opens unless a recovered project holds the
// window: opening it would throw the recovered work away.
void TFormMain::OpenStartupProject(bool recovered) {
  if (StartupProject.isEmpty())
    return;
  if (recovered)
    TPrompts::Get().Message(this, TPrompts::Icon::Information, NotOpenedAfterRecovery.arg(StartupProject));
  else
    RunCommand([this] { OpenProject(StartupProject); });
}

void TFormMain::RecoverWorkCopy(const TWorkCopyInfo& orphan) {
  TBusyCursor busy;
  Project.Recover(orphan, *Db);
  ApplyProjectSettings(Project);
  Modified = true;
  UpdateCaption(Project.GetFileName());
  Form->PageControl1->setCurrentIndex(0);
}
