#include "StoreFixture.h"

#include "store/Tcategory.h"
#include "store/Tentry.h"
#include "store/Tproject.h"

#include <filesystem>
#include <functional>
#include <stdexcept>

namespace {

using ProjectTest = StoreTest;

TProject SampleProject() {
  TProject project;
  project.SetEntryUrl("https://blog.example/");
  project.SetBlogTypeName("汎用 (HTML5)");
  project.SetHtmlTemplateName("カテゴリ別目次");
  project.AddCategory("料理", "https://blog.example/cat/food");
  project.AddCategory("旅行🚃", "https://blog.example/cat/travel");
  project.AddCategory("日記", "https://blog.example/cat/diary");
  project.SetHtmlSettings({{"タイトル", "目次"}, {"説明", ""}, {"Zeta", "z"}, {"alpha", "a"}});
  return project;
}

TEST_F(ProjectTest, ANewProjectIsEmptyAndIndexesAreChecked) {
  TProject project;
  EXPECT_EQ(project.GetFileName(), "");
  EXPECT_EQ(project.GetEntryUrl(), "");
  EXPECT_EQ(project.GetCategoryCount(), 0u);
  EXPECT_TRUE(project.GetHtmlSettings().empty());
  project.AddCategory("a", "b");
  EXPECT_EQ(project.GetCategory(0).name, "a");
  EXPECT_THROW(project.GetCategory(1), std::out_of_range);
}

TEST_F(ProjectTest, SettingsSurviveSaveAndLoad) {
  const std::string file = Folder.File("blog.proj");
  TProject saved = SampleProject();
  saved.Save(file, Db);
  EXPECT_EQ(saved.GetFileName(), file);

  TProjectDb other;
  other.SetReadOnly(true);
  TProject loaded;
  loaded.Load(file, other);
  EXPECT_EQ(loaded.GetFileName(), file);
  EXPECT_EQ(loaded.GetEntryUrl(), "https://blog.example/");
  EXPECT_EQ(loaded.GetBlogTypeName(), "汎用 (HTML5)");
  EXPECT_EQ(loaded.GetHtmlTemplateName(), "カテゴリ別目次");
  ASSERT_EQ(loaded.GetCategoryCount(), 3u);
  EXPECT_EQ(loaded.GetCategory(1).name, "旅行🚃");
  EXPECT_EQ(loaded.GetCategory(2).url, "https://blog.example/cat/diary");
  EXPECT_EQ(loaded.GetHtmlSettings(), saved.GetHtmlSettings());
  EXPECT_EQ(loaded.GetHtmlSettings().at("説明"), "");
  EXPECT_EQ(loaded.GetHtmlSettings().begin()->first, "Zeta") << "byte-wise order";

  const auto categories = LoadCategories(other);
  EXPECT_EQ(categories.size(), 4u);
  EXPECT_EQ(categories.at(0).GetName(), " ");
  EXPECT_EQ(categories.at(3).GetName(), "日記");
}

TEST_F(ProjectTest, ACategoryWithoutUrlIsSavedButNotLoaded) {
  TProject project;
  project.AddCategory("URLなし", "");
  project.AddCategory("あり", "https://blog.example/cat/a");
  project.Save(Folder.File("p.proj"), Db);
  EXPECT_EQ(LoadCategories(Db).at(1).GetName(), "URLなし");

  TProject loaded;
  loaded.Load(Folder.File("p.proj"), Db);
  ASSERT_EQ(loaded.GetCategoryCount(), 1u);
  EXPECT_EQ(loaded.GetCategory(0).name, "あり");
}

TEST_F(ProjectTest, LoadingAFileWithoutSettingsClearsThem) {
  const std::string file = Folder.File("bare.proj");
  Db.SaveTo(file);
  TProject project = SampleProject();
  project.Load(file, Db);
  EXPECT_EQ(project.GetEntryUrl(), "");
  EXPECT_EQ(project.GetBlogTypeName(), "");
  EXPECT_EQ(project.GetCategoryCount(), 0u);
  EXPECT_TRUE(project.GetHtmlSettings().empty());
}

TEST_F(ProjectTest, SavingKeepsEntriesAndLeavesTheWorkingCopyInUse) {
  InsertEntry(Db, "https://blog.example/1", "記事", 45000, false);
  TProject project = SampleProject();
  project.Save(Folder.File("p.proj"), Db);
  InsertEntry(Db, "https://blog.example/2", "保存後の記事", 45001, false);
  EXPECT_EQ(LoadEntries(Db).size(), 2u);

  TProjectDb other;
  other.SetReadOnly(true);
  TProject loaded;
  loaded.Load(Folder.File("p.proj"), other);
  EXPECT_EQ(LoadEntries(other).size(), 1u) << "entries after the save stay in the working copy";
}

TEST_F(ProjectTest, AFailedSaveKeepsTheFileName) {
  TProject project = SampleProject();
  project.Save(Folder.File("p.proj"), Db);
  const std::string missingFolder = Folder.File("missing/p.proj");
  const std::string unwritableSettings = Folder.File("q.proj");
  const std::function<void()> breakIt[] = {[] {}, [&] { Db.GetConnection().ExecuteDirect("drop table html"); }};
  const std::string targets[] = {missingFolder, unwritableSettings};
  for (int i = 0; i < 2; ++i) {
    breakIt[i]();
    try {
      project.Save(targets[i], Db);
      ADD_FAILURE() << targets[i];
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(targets[i] + " に保存できません。", 0), 0u) << e.what();
    }
    EXPECT_EQ(project.GetFileName(), Folder.File("p.proj"));
  }
  EXPECT_FALSE(std::filesystem::exists(unwritableSettings));
}

}
