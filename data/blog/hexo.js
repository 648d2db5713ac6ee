// Hexo: blogs made by Hexo with its theme landscape, or a theme built like it.
//   detect        <meta name="generator" content="Hexo ...">, which Hexo writes on every page
//   newest entry  the article of the top page with the latest <time class="dt-published">:
//                 a pinned post (sticky) comes first in the list, whatever its date
//   older entry   the #article-nav-older link of each entry page; Hexo chains the posts
//                 in date order, so the crawl reads every entry once, newest first
//   title         the entry's .article-title as the page shows it, else og:title
//   date          the entry's <time class="dt-published" datetime>, in UTC as Hexo
//                 writes it (the program converts the zone)
//   categories    the sidebar's a.category-list-link (Hexo's list_categories)
//   category page its a.archive-article-title links (or a.article-title, for themes
//                 that list whole posts); the next page is the rel="next" link
// og:url ends in index.html where the links do not, so URLs are taken from the links
// only, made absolute against the page's own address.

function Detect(page, url) {
  var generator = Generator(page);
  return /^Hexo\b/.test(generator) ? generator + " (generator)" : "";
}

function GetCategoryList(page, url) {
  var links = QueryHtml(page, "//a[has-class('category-list-link')]");
  var lines = [];
  var seen = {};
  for (var i = 0; i < links.length; i++) {
    var target = Absolute(url, links[i].attributes.href);
    var name = links[i].text;
    if (target === "" || name === "" || seen["#" + target])
      continue;
    seen["#" + target] = true;
    lines.push(name + "\t" + target);
  }
  return lines.join("\n");
}

function GetRecentEntry(page, url) {
  var articles = QueryHtml(page, "//article[.//a[has-class('article-title')]]");
  var newest = "";
  var newestTime = "";
  for (var i = 0; i < articles.length; i++) {
    var link = FirstAttribute(articles[i].html, "//a[has-class('article-title')]/@href");
    var time = FirstAttribute(articles[i].html, "//time[has-class('dt-published')]/@datetime");
    // Hexo writes every datetime as the same UTC form, so the text orders them.
    if (link !== "" && (newest === "" || time > newestTime)) {
      newest = link;
      newestTime = time;
    }
  }
  return Absolute(url, newest);
}

function GetTitle(page, url) {
  var titles = QueryHtml(page, "//article//*[has-class('article-title')]");
  if (titles.length > 0 && titles[0].text !== "")
    return titles[0].text;
  return FirstAttribute(page, "//meta[@property='og:title']/@content");
}

function GetDate(page, url) {
  var date = FirstAttribute(page, "//article//time[has-class('dt-published')]/@datetime");
  return date !== "" ? date : FirstAttribute(page, "//meta[@property='article:published_time']/@content");
}

function GetNextUrl(page, url) {
  return Absolute(url, FirstAttribute(page, "//a[@id='article-nav-older']/@href"));
}

function GetEntryUrl(page, url) {
  var links = QueryHtml(page, "//a[has-class('archive-article-title') or has-class('article-title')]/@href");
  return UniqueUrls(url, links).join("\n");
}

function GetNextCategoryUrl(page, url) {
  return Absolute(url, FirstAttribute(page, "//a[has-word(@rel, 'next')]/@href"));
}

// --- helpers ------------------------------------------------------------------

function Generator(page) {
  return FirstAttribute(page, "//meta[@name='generator']/@content");
}

// The value of the first attribute the expression finds; "" when there is none.
function FirstAttribute(html, xpath) {
  var found = QueryHtml(html, xpath);
  return found.length > 0 ? found[0].text : "";
}

function Absolute(base, href) {
  return href === "" || href === undefined ? "" : ResolveUrl(base, href);
}

// Each address once, in page order: a list may link an entry twice.
function UniqueUrls(base, hrefs) {
  var urls = [];
  var seen = {};
  for (var i = 0; i < hrefs.length; i++) {
    var target = Absolute(base, hrefs[i].text);
    if (target === "" || seen["#" + target])
      continue;
    seen["#" + target] = true;
    urls.push(target);
  }
  return urls;
}
