#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliContext.h"
#include "cli/CliProject.h"
#include "cli/CliSignals.h"
#include "cli/CliText.h"
#include "store/Tcategory.h"
#include "store/Tentry.h"
#include "store/Tkcategorytext.h"
#include "text/Tkutf8.h"
#include "store/Tkdatetime.h"
#include "store/Tproject.h"
#include "store/Tprojectdb.h"

#include <ostream>

namespace {

// Tabs and line breaks written as \t, \r and \n keep one entry on one line; other
// control characters and invalid UTF-8 are shown as U+FFFD.
std::string TsvField(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char32_t c = NextCharacter(text, i);
    switch (c) {
    case '\t': out += "\\t"; break;
    case '\r': out += "\\r"; break;
    case '\n': out += "\\n"; break;
    default: AppendUtf8(out, IsControlCharacter(c) ? U'\uFFFD' : c);
    }
  }
  return out;
}

void WriteTsv(std::ostream& out, const std::vector<TEntry>& entries,
              const std::map<std::int32_t, TCategory>& categories) {
  for (const TEntry& entry : entries) {
    CommandInterruption::ThrowIfSignalled();
    out << entry.GetId() << '\t' << FormatDate(entry.GetDate()) << '\t' << TsvField(entry.GetUrl())
        << '\t' << TsvField(entry.GetTitle()) << '\t'
        << TsvField(CategoryCommaText(entry.GetCategoryIds(), categories)) << '\t'
        << TsvField(entry.GetComment()) << '\n';
  }
}

void WriteJson(std::ostream& out, const std::vector<TEntry>& entries,
               const std::map<std::int32_t, TCategory>& categories) {
  out << '[';
  for (size_t i = 0; i < entries.size(); ++i) {
    CommandInterruption::ThrowIfSignalled();
    const TEntry& entry = entries[i];
    out << (i ? ",\n " : "\n ") << "{\"id\": " << entry.GetId() << ", \"url\": " << JsonString(entry.GetUrl())
        << ", \"title\": " << JsonString(entry.GetTitle())
        << ", \"date\": " << JsonString(FormatDate(entry.GetDate()))
        << ", \"datetime\": " << JsonString(FormatDateTime(entry.GetDate())) << ", \"category_ids\": [";
    const std::vector<std::int32_t> ids = entry.GetCategoryIds();
    for (size_t j = 0; j < ids.size(); ++j)
      out << (j ? ", " : "") << ids[j];
    out << "], \"categories\": " << JsonString(CategoryCommaText(ids, categories))
        << ", \"comment\": " << JsonString(entry.GetComment()) << '}';
  }
  out << (entries.empty() ? "]\n" : "\n]\n");
}

}

int CommandEntries(TCliContext& context, const std::vector<std::string>& args) {
  const TCliArgs parsed(args, {"json"}, {});
  if (parsed.Positionals().size() != 1)
    throw TUsageError("プロジェクトファイルを1つ指定してください。");
  TProjectDb db;
  TProject project;
  OpenProjectToRead(parsed.Positionals().front(), db, project);
  MentionOrphanedWork(parsed.Positionals().front(), context.Err);
  CommandInterruption::ThrowIfSignalled();
  const std::vector<TEntry> entries = LoadEntries(db);
  const auto categories = LoadCategories(db);
  if (parsed.Flag("json"))
    WriteJson(context.Out, entries, categories);
  else
    WriteTsv(context.Out, entries, categories);
  return 0;
}
