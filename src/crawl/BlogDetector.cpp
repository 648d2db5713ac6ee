#include "crawl/BlogDetector.h"

#include "crawl/Tentryparser.h"
#include "net/Tpagefetch.h"
#include "script/Tscriptcontroller.h"
#include "text/Tktextlines.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Detection must stay quick over many blog types: a script that never names the
// function cannot define it, so it is not loaded at all.
bool MayDefine(const std::string& script, const std::string& function) {
  return script.find(function) != std::string::npos;
}

void Load(TScriptController& controller, const TBlogConfig& blogType, const std::string& code) {
  controller.SetBlogTypeName(blogType.GetName());
  controller.LoadScript(blogType.GetLanguage(), code);
  if (controller.HasError())
    throw std::runtime_error(controller.GetErrorText());
}

std::string CallOrThrow(TScriptController& controller, const std::string& function, const std::string& page,
                        const std::string& url) {
  std::string result = controller.Call(function, QuoteScriptString(page), url);
  if (controller.HasError())
    throw std::runtime_error(controller.GetErrorText());
  return result;
}

} // namespace

std::vector<TCategoryData> ParseCategoryList(const std::string& text, const std::string& pageUrl) {
  std::vector<TCategoryData> categories;
  for (const std::string& line : SplitLines(text)) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos)
      continue;
    TCategoryData category{TrimControlBytes(line.substr(0, tab)), TrimControlBytes(line.substr(tab + 1))};
    if (category.name.empty() || category.url.empty())
      continue;
    try {
      category.url = ResolveUrlAgainst(pageUrl, category.url);
    } catch (const std::runtime_error&) {
      continue;  // no address a crawl could read
    }
    categories.push_back(std::move(category));
  }
  return categories;
}

void BlogDetector::SetHttpTimeLimits(std::chrono::milliseconds connect, std::chrono::milliseconds idle) {
  Page.Client().SetTimeLimits(connect, idle);
}

void BlogDetector::Fetch(const std::string& url) {
  Page.Fetch(url);
}

std::vector<DetectedBlogType> BlogDetector::Detect(const std::vector<TBlogConfig>& blogTypes) {
  Errors.clear();
  std::vector<DetectedBlogType> found;
  TScriptController controller;
  controller.SetLimits(ScriptLimits);
  for (const TBlogConfig& blogType : blogTypes) {
    try {
      const std::string code = ReadBlogTypeScript(blogType);
      if (!MayDefine(code, "Detect"))
        continue;
      Load(controller, blogType, code);
      if (!controller.HasFunction("Detect"))
        continue;
      const std::string page = Page.TextFor(blogType);
      const std::string reason = TrimControlBytes(CallOrThrow(controller, "Detect", page, Page.GetUrl()));
      if (!reason.empty())
        found.push_back({blogType, reason});
    } catch (const TCanceled&) {
      throw std::runtime_error("判定を中止しました。");
    } catch (const std::exception& e) {
      Errors.push_back(blogType.GetName() + ": " + e.what());
    }
  }
  std::stable_partition(found.begin(), found.end(),
                        [](const DetectedBlogType& detected) { return !detected.BlogType.IsFallback(); });
  return found;
}

std::vector<TCategoryData> BlogDetector::Categories(const TBlogConfig& blogType) {
  const std::string code = ReadBlogTypeScript(blogType);
  if (!MayDefine(code, "GetCategoryList"))
    return {};
  TScriptController controller;
  controller.SetLimits(ScriptLimits);
  try {
    Load(controller, blogType, code);
    if (!controller.HasFunction("GetCategoryList"))
      return {};
    std::string page = Page.TextFor(blogType);
    std::string pageUrl = Page.GetUrl();
    if (controller.HasFunction("GetCategoryListUrl")) {
      const std::string listUrl = TrimControlBytes(CallOrThrow(controller, "GetCategoryListUrl", page, pageUrl));
      if (!listUrl.empty()) {
        THttpClient& http = Page.Client();
        const std::string body = http.Get(ResolveUrlAgainst(pageUrl, listUrl));
        page = DecodePage(body, http.GetContentType(), LookUpCodePage(blogType));
        pageUrl = http.GetFinalUrl();
      }
    }
    return ParseCategoryList(CallOrThrow(controller, "GetCategoryList", page, pageUrl), pageUrl);
  } catch (const TCanceled&) {
    throw std::runtime_error("判定を中止しました。");
  }
}
