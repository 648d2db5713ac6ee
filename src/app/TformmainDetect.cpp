#include "app/Tformmain.h"

#include "ui/ShownText.h"
#include "ui/Tdetectdialog.h"
#include "ui/Telidedlabel.h"
#include "ui/Tformdetectcategories.h"
#include "ui/Tprompts.h"
#include "ui_Tformmain.h"

#include <QStatusBar>

namespace {

using namespace Qt::StringLiterals;

const QString NothingFoundMessage =
    u"このページを読めるブログの種類が見つかりません。\n「汎用 (HTML5)」で読めるかもしれません。"_s;

// Outside text in the status bar: one line, control characters shown, cut short.
QString Short(const std::string& text, qsizetype length) {
  QString shown = ShownText(text).simplified();
  if (shown.size() > length)
    shown = shown.left(length - 1) + u'…';
  return shown;
}

// "自動判定: WordPress 6.1 (generator)" when the reason names the blog type
// already, "自動判定: 汎用 (HTML5)（HTML5 (rel=bookmark)）" when it does not.
QString StatusText(const TDetection& found) {
  const DetectedBlogType& best = found.Types.front();
  const QString reason = Short(best.Reason, 80);
  const QString name = Short(best.BlogType.GetName(), 40);
  QString text = u"自動判定: "_s + (reason.startsWith(name) ? reason : name + u"（"_s + reason + u"）"_s);
  if (!found.Errors.empty())
    text += u"　判定できなかった種類: "_s + Short(found.Errors.front(), 60) +
            (found.Errors.size() > 1 ? u" ほか %1 件"_s.arg(found.Errors.size() - 1) : QString());
  return text;
}

QString FailedTypes(const std::vector<std::string>& errors) {
  QString text;
  for (const std::string& error : errors)
    text += u"\n"_s + QString::fromStdString(error);
  return errors.empty() ? text : u"\n\n判定できなかったブログの種類:"_s + text;
}

QString ReplaceQuestion(int found, int listed) {
  return u"カテゴリが %1 件見つかりました。カテゴリの一覧にはすでに %2 件あります。\n"
         "「置き換える」は今の一覧を消して選んだカテゴリにします。「追加」は今の一覧の後ろに加えます。"_s.arg(found).arg(listed);
}

}

// Added here rather than in the form: a label of the status bar's own, which
// the status tips of the controls hide for a moment only.
void TFormMain::CreateDetectionStatus() {
  DetectionStatus = new TElidedLabel(this);
  DetectionStatus->setObjectName(u"LabelDetection"_s);
  DetectionStatus->setTextFormat(Qt::PlainText);
  // No stretch: the notices of running templates beside it take the rest.
  statusBar()->addWidget(DetectionStatus);
}

void TFormMain::ActionDetectBlogTypeExecute() {
  const std::optional<std::string> url = AskTopPageUrl();
  if (!url)
    return;
  TDetectDialog dialog(this, *url, BlogTypes.GetBlogConfigs());
  if (dialog.exec() != QDialog::Accepted)
    return;
  if (!dialog.GetFailure().empty()) {
    TPrompts::Get().Message(this, TPrompts::Icon::Error, QString::fromStdString(dialog.GetFailure()));
    return;
  }
  const TDetection& found = dialog.GetDetection();
  if (found.Types.empty()) {
    TPrompts::Get().Message(this, TPrompts::Icon::Information, NothingFoundMessage + FailedTypes(found.Errors));
    return;
  }
  SelectBlogType(found.Types.front().BlogType);
  DetectionStatus->SetFullText(StatusText(found),
                               ShownText(found.Types.front().Reason) + FailedTypes(found.Errors));
  if (!found.CategoryError.empty())
    TPrompts::Get().Message(this, TPrompts::Icon::Warning,
                            u"カテゴリの一覧を読めませんでした。\n"_s + QString::fromStdString(found.CategoryError));
  else if (!found.Categories.empty())
    OfferCategories(found.Categories);
}

void TFormMain::SelectBlogType(const TBlogConfig& blogType) {
  const std::vector<TBlogConfig> blogTypes = BlogTypes.GetBlogConfigs();
  for (std::size_t index = 0; index < blogTypes.size(); ++index) {
    if (blogTypes[index].GetFileName() != blogType.GetFileName())
      continue;
    const int row = static_cast<int>(index);
    if (row == Form->ComboBoxBlogType->currentIndex() && row == LoadedBlogTypeIndex)
      return;
    Form->ComboBoxBlogType->setCurrentIndex(row);
    ComboBoxBlogTypeChange();
    SetModified(true);
    return;
  }
}

// A list that holds rows already is asked about first: キャンセル there, or in
// the choice, leaves it as it is.
void TFormMain::OfferCategories(const std::vector<TCategoryData>& categories) {
  QTreeWidget* list = Form->ListViewCategory;
  bool replace = false;
  if (list->topLevelItemCount() > 0) {
    const int answer = TPrompts::Get().Choose(
        this, TPrompts::Icon::Question, ReplaceQuestion(static_cast<int>(categories.size()), list->topLevelItemCount()),
        {u"置き換える"_s, u"追加"_s, u"キャンセル"_s}, 2);
    if (answer == 2)
      return;
    replace = answer == 0;
  }
  TFormDetectCategories dialog(this);
  dialog.SetCategories(categories);
  if (dialog.exec() != QDialog::Accepted)
    return;
  const std::vector<TCategoryData> checked = dialog.GetChecked();
  if (replace)
    list->clear();
  for (const TCategoryData& category : checked)
    new QTreeWidgetItem(list, {QString::fromStdString(category.name), QString::fromStdString(category.url)});
  if (replace || !checked.empty())
    SetModified(true);
}
