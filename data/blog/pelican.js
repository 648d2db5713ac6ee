// Pelican: blogs made by Pelican with its theme "simple" or "notmyidea", or one built
// like them.
//   detect        <meta name="generator" content="Pelican">
//   entries       the article links of the index pages (index.html, index2.html...):
//                 those in an .entry-title heading (notmyidea's first, featured article
//                 has no rel) and those marked rel="bookmark"; Pelican's entry pages link
//                 no other entry. The next page is the paginator's "»" link, which has
//                 neither rel nor class
//   title         the entry's .entry-title heading as the page shows it: the first <h1>
//                 is the site's name. Pelican does not escape titles; HTML parsing
//                 reads a bare "<" as text
//   date          the entry's <time class="published" datetime> (simple, notmyidea 4.8),
//                 else <abbr class="published" title> (older notmyidea)
//   categories    the menu's links to pages under /category/ (Pelican's CATEGORY_URL),
//                 "misc" (the default category) too: pages on the menu are no categories
//   category page read as an index page
// Every address is made absolute and percent-encoded by ResolveUrl: Pelican links a
// page of a non-ASCII name by the raw name, and the index and category pages must give
// the same text for one entry.

function Detect(page, url) {
  var generator = FirstAttribute(page, "//meta[@name='generator']/@content");
  return /^Pelican\b/.test(generator) ? generator + " (generator)" : "";
}

function GetCategoryList(page, url) {
  var links = QueryHtml(page, "//nav//a[@href]");
  var lines = [];
  var seen = {};
  for (var i = 0; i < links.length; i++) {
    var target = Absolute(url, links[i].attributes.href);
    var name = links[i].text;
    if (target === "" || name === "" || !IsCategoryPage(target) || seen["#" + target])
      continue;
    seen["#" + target] = true;
    lines.push(name + "\t" + target);
  }
  return lines.join("\n");
}

function GetEntryList(page, url) {
  return ArticleLinks(page, url);
}

function GetNextEntryListUrl(page, url) {
  return NextPage(page, url);
}

function GetTitle(page, url) {
  var titles = QueryHtml(page, "//*[has-class('entry-title')]");
  return titles.length > 0 ? titles[0].text : "";
}

function GetDate(page, url) {
  var date = FirstAttribute(page, "//time[has-class('published')]/@datetime");
  return date !== "" ? date : FirstAttribute(page, "//abbr[has-class('published')]/@title");
}

function GetEntryUrl(page, url) {
  return ArticleLinks(page, url);
}

function GetNextCategoryUrl(page, url) {
  return NextPage(page, url);
}

// --- helpers ------------------------------------------------------------------

// The articles a list links, each once, in page order, one a line.
function ArticleLinks(page, url) {
  var hrefs = QueryHtml(page, "//*[has-class('entry-title')]//a/@href | //a[has-word(@rel, 'bookmark')]/@href");
  var urls = [];
  var seen = {};
  for (var i = 0; i < hrefs.length; i++) {
    var target = Absolute(url, hrefs[i].text);
    if (target === "" || seen["#" + target])
      continue;
    seen["#" + target] = true;
    urls.push(target);
  }
  return urls.join("\n");
}

// The paginator's "»" ("&raquo;") link: Pelican's themes mark it no other way.
function NextPage(page, url) {
  return Absolute(url, FirstAttribute(page, "//*[has-class('paginator')]//a[normalize-space(.)='\u00BB']/@href"));
}

function IsCategoryPage(target) {
  return /^[^?#]*\/category\/[^\/?#]/i.test(target);
}

// The value of the first attribute the expression finds; "" when there is none.
function FirstAttribute(html, xpath) {
  var found = QueryHtml(html, xpath);
  return found.length > 0 ? found[0].text : "";
}

function Absolute(base, href) {
  return href === "" || href === undefined ? "" : ResolveUrl(base, href);
}
