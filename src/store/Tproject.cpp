#include "store/Tproject.h"

#include "store/Tcategory.h"
#include "store/Tprojectdb.h"
#include "store/Tksavefile.h"

#include <stdexcept>

void TProject::AddCategory(const std::string& name, const std::string& url) {
  Categories.push_back({name, url});
}

void TProject::Load(const std::string& fileName, TProjectDb& db) {
  TProject loaded;
  db.Open(fileName, [&](TProjectDb& opened) { loaded.ReadSettings(opened); });
  loaded.FileName = db.GetFileName();
  *this = std::move(loaded);
}

void TProject::Recover(const TWorkCopyInfo& orphan, TProjectDb& db) {
  TProject recovered;
  db.Recover(orphan, [&](TProjectDb& opened) { recovered.ReadSettings(opened); });
  recovered.FileName = orphan.ProjectFile;
  *this = std::move(recovered);
}

void TProject::ReadSettings(TProjectDb& db) {
  TDbQuery& query = db.Query;
  query.Close();
  query.SetSql("select * from config");
  for (query.Open(); !query.Eof(); query.Next()) {
    const std::string name = query.GetText("name");
    if (name == "entry_url")
      EntryUrl = query.GetText("data");
    else if (name == "html_template_name")
      HtmlTemplateName = query.GetText("data");
    else if (name == "blog_type_name")
      BlogTypeName = query.GetText("data");
  }
  query.Close();

  query.SetSql("select * from categories order by id");
  for (query.Open(); !query.Eof(); query.Next()) {
    const std::string name = query.GetText("name");
    const std::string url = query.GetText("url");
    if (!name.empty() && !url.empty())
      AddCategory(name, url);
  }
  query.Close();

  query.SetSql("select name,data from html");
  for (query.Open(); !query.Eof(); query.Next())
    Settings[query.GetText("name")] = query.GetText("data");
  query.Close();
}

void TProject::Save(const std::string& fileName, TProjectDb& db) {
  SaveAs(fileName, db, TProjectDb::SaveMode::Replace);
}

void TProject::SaveAsNew(const std::string& fileName, TProjectDb& db) {
  SaveAs(fileName, db, TProjectDb::SaveMode::NewFileOnly);
}

void TProject::SaveAs(const std::string& fileName, TProjectDb& db, TProjectDb::SaveMode mode) {
  try {
    StoreSettings(db);
  } catch (const std::exception& e) {
    throw std::runtime_error(
        CannotSaveMessage(fileName, std::string("設定を書き込めませんでした。(") + e.what() + ")"));
  }
  db.SaveTo(fileName, mode);
  FileName = fileName;
}

void TProject::StoreSettings(TProjectDb& db) const {
  db.Query.Close();
  TDbTransaction transaction(db.GetConnection());
  WriteSettings(db);
  transaction.Commit();
}

void TProject::WriteSettings(TProjectDb& db) const {
  db.SetConfig("entry_url", EntryUrl);
  db.SetConfig("html_template_name", HtmlTemplateName);
  db.SetConfig("blog_type_name", BlogTypeName);

  DeleteCategories(db);
  InsertCategory(db, 0, " ", "");
  for (std::size_t i = 0; i < Categories.size(); ++i)
    InsertCategory(db, static_cast<std::int32_t>(i + 1), Categories[i].name, Categories[i].url);

  TDbQuery& query = db.Query;
  query.SetSql("delete from html");
  query.Execute();
  query.SetSql("insert into html(name,data) values (:NAME,:DATA)");
  for (const auto& [name, data] : Settings) {
    query.SetText("NAME", name);
    query.SetText("DATA", data);
    query.Execute();
  }
  query.Close();
}
