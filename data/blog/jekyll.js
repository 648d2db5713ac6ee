// Jekyll: blogs made by Jekyll with its theme minima (or one built like it), category
// pages by jekyll-archives.
//   detect        <meta name="generator" content="Jekyll v...">, written by jekyll-seo-tag
//   entries       the a.post-link links of the home page, which lists every post
//                 newest first (minima's entry pages link no other entry); a theme that
//                 paginates the list gives its next page as rel="next" or a.next-page
//   title         the entry's h1.post-title as the page shows it: og:title is not used
//                 first, as jekyll-seo-tag turns its quotes into typographic ones
//   date          the entry's <time class="dt-published" datetime>, else
//                 article:published_time
//   categories    the header's a.page-link links to pages under /category/ or
//                 /categories/ (jekyll-archives): the other page links (About...) are
//                 no categories
//   category page its a.post-link links, read as the home page's

function Detect(page, url) {
  var generator = FirstAttribute(page, "//meta[@name='generator']/@content");
  return /^Jekyll\b/.test(generator) ? generator + " (generator)" : "";
}

function GetCategoryList(page, url) {
  var links = QueryHtml(page, "//a[has-class('page-link')]");
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
  return PostLinks(page, url);
}

function GetNextEntryListUrl(page, url) {
  return NextPage(page, url);
}

function GetTitle(page, url) {
  var titles = QueryHtml(page, "//*[has-class('post-title')]");
  if (titles.length > 0 && titles[0].text !== "")
    return titles[0].text;
  return FirstAttribute(page, "//meta[@property='og:title']/@content");
}

function GetDate(page, url) {
  var date = FirstAttribute(page, "//time[has-class('dt-published')]/@datetime");
  return date !== "" ? date : FirstAttribute(page, "//meta[@property='article:published_time']/@content");
}

function GetEntryUrl(page, url) {
  return PostLinks(page, url);
}

function GetNextCategoryUrl(page, url) {
  return NextPage(page, url);
}

// --- helpers ------------------------------------------------------------------

// The posts a list links, each once, in page order, one a line.
function PostLinks(page, url) {
  var hrefs = QueryHtml(page, "//a[has-class('post-link')]/@href");
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

function NextPage(page, url) {
  return Absolute(url, FirstAttribute(page, "//a[has-word(@rel, 'next') or has-class('next-page')]/@href"));
}

// jekyll-archives puts a category's page at /category/NAME/ unless configured otherwise.
function IsCategoryPage(target) {
  return /^[^?#]*\/categor(?:y|ies)\/[^\/?#]/i.test(target);
}

// The value of the first attribute the expression finds; "" when there is none.
function FirstAttribute(html, xpath) {
  var found = QueryHtml(html, xpath);
  return found.length > 0 ? found[0].text : "";
}

function Absolute(base, href) {
  return href === "" || href === undefined ? "" : ResolveUrl(base, href);
}
