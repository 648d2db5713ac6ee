// 汎用 (HTML5): reads the markup that many blog engines write, for blogs that no
// blog type of their own knows. Pages are read through QueryHtml (a browser's HTML
// parser, XPath), except <title> and the first <h1>, which are read from the text as
// this blog type always read them.
//
//   entries    the blog's lists of entries (GetEntryList): the top page, then each
//              next list page. A list's entries are its rel="bookmark" links, else
//              the heading link of each <article>, else the links of its entry
//              headings (<h2><a> or <a><h2>), else the links of its first <ul>/<ol>
//              of links. The next page is the rel="next" link, else a link whose
//              text says so (次へ, Next, Older, », …), else the link to the same
//              address with the page number one up (page/2/, index2.html).
//              Without one, an archive link ("View Archive", アーカイブ, 記事一覧)
//              that leads to the folder the entries live in. Where the lists end,
//              the crawl goes on from the oldest entry read by its link to the
//              older entry (GetNextUrl: rel="prev", 前の記事, Older).
//   title      the entry's own heading (.entry-title or .post-title, an <h1> in
//              <article> or <main>), as the page shows it: og:title may be set
//              apart (Jekyll's curls its quotes); else og:title, unless it is only
//              the site's name; else the first <h1> that is not the site's name
//              (Pelican's is); an <h2> in <article> or <main>; <title> less the
//              site's name.
//   date       the first <time datetime> of the entry (one marked published first),
//              else article:published_time, JSON-LD datePublished, or a printed
//              date ("2024年10月31日", "Thu 31 October 2024", "2024-10-31 10:00").
//   category   the same lists as the entries; its next page as above.
//   detection  a top page with such a list (Detect, ranked after the blog types
//              made for one engine: fallback=1); its categories are the links to
//              /category/ or /categories/ pages, or marked rel="category".
// A link is returned as written, or made absolute when the page names its own
// address (<base href>, <link rel="canonical"> or og:url), so that the entry pages
// and the category pages give the same text for the same entry.

// --- which blog ---------------------------------------------------------------------

function Detect(page, url) {
  var list = EntryLinks(page);
  if (list.links.length >= (list.how === "rel=bookmark" ? 1 : 2))
    return "HTML5 (" + list.how + ")";
  return "";
}

// One "name<TAB>address" line per category the page links to.
function GetCategoryList(page, url) {
  var links = QueryHtml(page, "//a[@href][contains(@href, '/category/') or contains(@href, '/categories/') or " +
                              "has-word(@rel, 'category')]");
  var lines = [];
  var seen = {};
  for (var i = 0; i < links.length; i++) {
    var href = links[i].attributes.href;
    var name = links[i].text.replace(/\s*[(（]\d+[)）]$/, "");
    // A list's later pages are no category of their own; 未分類 holds what the author
    // sorted nowhere, which says nothing about an entry.
    if (name === "" || /\/page[\/\-_]?\d+/.test(href) || /^(未分類|uncategorized)$/i.test(name))
      continue;
    var address = Absolute(page, href);
    if (seen["#" + address])
      continue;
    seen["#" + address] = true;
    lines.push(name + "\t" + address);
  }
  return lines.join("\n");
}

// --- entries ------------------------------------------------------------------------

function GetEntryList(page, url) {
  return EntryLinks(page).links.join("\n");
}

function GetNextEntryListUrl(page, url) {
  var next = NextListPage(page, url);
  if (next !== null)
    return next;
  var archive = ArchivePage(page, url, EntryLinks(page).links);
  return archive === null ? "" : archive;
}

// The chain of entries: GetRecentEntry for a program that does not read lists;
// GetNextUrl also leads on from the oldest entry of the last list.
function GetRecentEntry(page, url) {
  var links = EntryLinks(page).links;
  return links.length === 0 ? "" : links[0];
}

function GetNextUrl(page, url) {
  var older = OlderEntry(page);
  return older === null ? "" : older;
}

// --- one entry ----------------------------------------------------------------------

function GetTitle(page, url) {
  var title = FirstText(page, [
    "(//*[self::h1 or self::h2 or self::h3][contains(@class, 'entry-title') or contains(@class, 'post-title')])[1]",
    "(//article//h1)[1]",
    "(//main//h1)[1]"
  ]);
  if (title !== null)
    return title;
  var siteNames = SiteNames(page);
  var og = Meta(page, "og:title");
  if (og !== null && og !== "" && !IsSiteName(og, siteNames))
    return og;
  var h1 = SourceElementText(page, "h1");
  if (h1 !== null && h1 !== "" && !IsSiteName(h1, siteNames))
    return h1;
  title = FirstText(page, ["(//article//h2)[1]", "(//main//h2)[1]"]);
  if (title !== null)
    return title;
  var documentTitle = SourceElementText(page, "title");
  if (documentTitle !== null)
    return WithoutSiteName(documentTitle, siteNames);
  return og === null ? "" : og;
}

function GetDate(page, url) {
  var date = FirstText(page, [
    "(//time[@datetime][contains(@class, 'published') or @itemprop = 'datePublished'])[1]/@datetime",
    "(//article//time/@datetime)[1]",
    "(//main//time/@datetime)[1]",
    "(//time/@datetime)[1]"
  ]);
  if (date === null)
    date = Meta(page, "article:published_time");
  if (date === null)
    date = JsonLdDate(page);
  if (date === null)
    date = PrintedDate(FirstText(page, ["(//article)[1]", "(//main)[1]", "(//body)[1]"]) || "");
  return date === null ? "" : date;
}

// --- category pages -----------------------------------------------------------------

function GetEntryUrl(page, url) {
  return EntryLinks(page).links.join("\n");
}

function GetNextCategoryUrl(page, url) {
  var next = NextListPage(page, url);
  return next === null ? "" : next;
}

// --- lists of entries -----------------------------------------------------------------

// Elements whose links are the site's, not a list's.
var NotContent = "not(ancestor::nav or ancestor::header or ancestor::footer or ancestor::aside)";

// The entries a list page links to, in page order, each once, and how they were found.
// Only addresses are asked of QueryHtml: an element's match carries its whole markup,
// which for elements nested in each other (unclosed markup) would add up to the
// square of the page.
function EntryLinks(page) {
  var bookmarks = Hrefs(page, "//a[has-word(@rel, 'bookmark')]/@href");
  if (bookmarks.length > 0)
    return { how: "rel=bookmark", links: Addresses(page, bookmarks) };
  var articles = "//article[not(ancestor::article)]";
  var inArticles = Hrefs(page, articles + "/descendant::a[@href][ancestor::h1 or ancestor::h2 or ancestor::h3]" +
                                "[1]/@href");
  if (inArticles.length < Count(page, articles))
    inArticles = Hrefs(page, articles + "/descendant::a[@href][1]/@href");
  if (inArticles.length > 0)
    return { how: "article", links: Addresses(page, inArticles) };
  var headings = Hrefs(page, "//*[self::h2 or self::h3][" + NotContent + "]/descendant::a[@href][1]/@href | " +
                             "//a[@href][descendant::h2 or descendant::h3][" + NotContent + "]/@href");
  if (headings.length > 0)
    return { how: "見出しのリンク", links: Addresses(page, headings) };
  var list = Hrefs(page, "(//*[self::ul or self::ol][" + NotContent + "][count(li) >= 2][not(li[not(.//a[@href])])])" +
                         "[1]/li/descendant::a[@href][1]/@href");
  return { how: "リンクの一覧", links: Addresses(page, list) };
}

function Addresses(page, hrefs) {
  var links = [];
  var seen = {};
  for (var i = 0; i < hrefs.length; i++) {
    var href = hrefs[i];
    if (href === "" || /^(#|javascript:|mailto:)/i.test(href))
      continue;
    var address = Absolute(page, href);
    // The title link and a "read more" link often both point at the entry.
    if (seen["#" + address])
      continue;
    seen["#" + address] = true;
    links.push(address);
  }
  return links;
}

// The next, older page of a list; null when there is none.
function NextListPage(page, url) {
  var rel = Hrefs(page, "(//link|//a)[has-word(@rel, 'next')]/@href");
  for (var i = 0; i < rel.length; i++) {
    if (rel[i] !== "")
      return Absolute(page, rel[i]);
  }
  var links = QueryHtml(page, "//a[@href]");
  for (var j = 0; j < links.length; j++) {
    if (IsNextText(links[j].text))
      return Absolute(page, links[j].attributes.href);
  }
  if (url === undefined || url === "")
    return null;
  for (var k = 0; k < links.length; k++) {
    // Its text is the page's number, or an arrow or picture ("👉"), not words.
    if (HasLetters(links[k].text))
      continue;
    if (IsNextNumber(url, ResolveUrl(url, links[k].attributes.href)))
      return Absolute(page, links[k].attributes.href);
  }
  return null;
}

// 次へ, Next, Older posts, », › …: the words that name a list's next page, arrows aside.
function IsNextText(text) {
  var words = text.replace(/[\s«»‹›←→⇒>]+/g, "").toLowerCase();
  if (words === "")
    return /^[\s»›→⇒>]+$/.test(text) && text.replace(/\s/g, "") !== "";
  return /^(次|次へ|次のページ|次のページへ|次ページ|次の\d+件|next|nextpage|older|olderposts|olderentries|古い記事|古い投稿|古い記事へ|過去の記事|過去の投稿|以前の記事)$/.test(words);
}

function HasLetters(text) {
  return /[A-Za-z\u00C0-\u024F\u3040-\u30FF\u3400-\u9FFF\uFF21-\uFF5A]/.test(text);
}

// Whether link is the address of the page after the one at url: the same address with
// its page number one up, or with "2" added where page 1 has none (/ → /page/2/,
// index.html → index2.html, liao-li.html → liao-li2.html, ?page=2).
function IsNextNumber(url, link) {
  var here = Comparable(url);
  var there = Comparable(link);
  if (here === "" || there === "")
    return false;
  var numbered = /^(.*[\/=\-_a-z])(\d+)((?:\/|\.html?)?(?:[?#].*)?)$/i.exec(here);
  if (numbered && there === numbered[1] + (parseInt(numbered[2], 10) + 1) + numbered[3])
    return true;
  var start = 0;
  while (start < here.length && start < there.length && here.charAt(start) === there.charAt(start))
    start++;
  var end = 0;
  while (end < here.length - start && end < there.length - start &&
         here.charAt(here.length - 1 - end) === there.charAt(there.length - 1 - end))
    end++;
  var added = there.substring(start, there.length - end);
  return here.length === start + end && /^(?:[\/\-_]?(?:page|p|index)?[\/\-_=]?2\/?|\?(?:page|paged|p)=2)$/i.test(added);
}

// An address as ResolveUrl writes it, without "index.html": what two links to the same
// page have in common.
function Comparable(address) {
  return address.replace(/\/index\.html?(?=$|[?#])/i, "/");
}

// The page that lists every entry, when the top page shows only the newest: a link
// named like an archive that leads to the folder every listed entry lives in.
function ArchivePage(page, url, entries) {
  if (entries.length === 0 || url === undefined || url === "")
    return null;
  var links = QueryHtml(page, "//a[@href]");
  for (var i = 0; i < links.length; i++) {
    if (!/^(view archive|archives?|all posts|view all|アーカイブ|記事一覧|すべての記事|全ての記事|全記事|もっと見る)$/i
             .test(links[i].text.replace(/[\s«»‹›←→.…]+$/, "")))
      continue;
    var folder = ResolveUrl(url, links[i].attributes.href).replace(/[?#].*$/, "");
    if (!/\/$/.test(folder) || Comparable(folder) === Comparable(ResolveUrl(url, "/")))
      continue;
    var inside = true;
    for (var j = 0; j < entries.length && inside; j++)
      inside = ResolveUrl(url, entries[j]).indexOf(folder) === 0;
    if (inside)
      return Absolute(page, links[i].attributes.href);
  }
  return null;
}

// --- the chain of entries -------------------------------------------------------------

// The entry page's link to the older entry: rel="prev", else a link whose text says
// so (前の記事, Older post, Previous), else one marked so by its id or class.
function OlderEntry(page) {
  var rel = Hrefs(page, "(//link|//a)[has-word(@rel, 'prev')]/@href");
  if (rel.length > 0)
    return rel[0] === "" ? null : Absolute(page, rel[0]);
  var links = QueryHtml(page, "//a[@href]");
  for (var i = 0; i < links.length; i++) {
    var text = links[i].text.replace(/^[\s«‹←<]+/, "");
    if (/^(前の記事|前の投稿|前のエントリー?|古い記事|古い投稿|older post|older entry|previous post|previous entry|previous article)/i
            .test(text))
      return Absolute(page, links[i].attributes.href);
  }
  for (var j = 0; j < links.length; j++) {
    var marks = (links[j].attributes.id || "") + " " + (links[j].attributes["class"] || "");
    if (/older|(?:nav|post|entry|article)[\-_]prev|prev(?:ious)?[\-_](?:post|entry|article)/i.test(marks))
      return Absolute(page, links[j].attributes.href);
  }
  return null;
}

// --- titles ---------------------------------------------------------------------------

// What the page calls the site: og:site_name, and the text of its links to the top page.
function SiteNames(page) {
  var names = [];
  var siteName = Meta(page, "og:site_name");
  if (siteName !== null && siteName !== "")
    names.push(siteName);
  var home = QueryHtml(page, "//a[@href = '/' or has-word(@rel, 'home')]");
  for (var i = 0; i < home.length && i < 3; i++)
    names.push(home[i].text);
  var address = PageAddress(page);
  if (address !== null) {
    var top = QueryHtml(page, "(//a[@href = '" + Resolve(address, "/").replace(/'/g, "") + "'])[1]");
    if (top.length > 0)
      names.push(top[0].text);
  }
  return names;
}

function IsSiteName(text, names) {
  for (var i = 0; i < names.length; i++) {
    if (names[i] !== "" && names[i] === text)
      return true;
  }
  return false;
}

// "Entry | Site" or "Site - Entry" less the site's name; as it is when no known site
// name stands at either end.
function WithoutSiteName(title, names) {
  for (var i = 0; i < names.length; i++) {
    var name = names[i];
    if (name === "" || title.length <= name.length)
      continue;
    if (title.substring(title.length - name.length) === name) {
      var before = /^([\s\S]*\S)\s*[\-–—|·•:»~\/]\s*$/.exec(title.substring(0, title.length - name.length));
      if (before)
        return before[1];
    }
    if (title.substring(0, name.length) === name) {
      var after = /^\s*[\-–—|·•:»~\/]\s*(\S[\s\S]*)$/.exec(title.substring(name.length));
      if (after)
        return after[1];
    }
  }
  return title;
}

// --- dates ----------------------------------------------------------------------------

// The first datePublished of the page's JSON-LD.
function JsonLdDate(page) {
  var scripts = QueryHtml(page, "//script[@type = 'application/ld+json']");
  for (var i = 0; i < scripts.length; i++) {
    var data;
    try {
      data = JSON.parse(scripts[i].text);
    } catch (e) {
      continue;
    }
    var date = FindValue(data, "datePublished", 0);
    if (date !== null)
      return date;
  }
  return null;
}

function FindValue(data, key, depth) {
  if (data === null || typeof data !== "object" || depth > 8)
    return null;
  if (typeof data[key] === "string")
    return data[key];
  for (var name in data) {
    var found = FindValue(data[name], key, depth + 1);
    if (found !== null)
      return found;
  }
  return null;
}

var Months = "(?:jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec)[a-z]*\\.?";
var PrintedDates = [
  /\d{4}\s*年\s*\d{1,2}\s*月\s*\d{1,2}\s*日(?:\s*[(（][^)）]{1,4}[)）])?(?:\s*(?:午前|午後)?\s*\d{1,2}(?::\d{2}|\s*時\s*\d{1,2}\s*分))?/,
  /\d{4}[\/.\-]\d{1,2}[\/.\-]\d{1,2}(?:[ T]\d{1,2}:\d{2}(?::\d{2})?)?/,
  new RegExp("(?:[a-z]{3,9},?\\s+)?\\d{1,2}(?:st|nd|rd|th)?\\s+" + Months + ",?\\s+\\d{4}", "i"),
  new RegExp(Months + "\\s+\\d{1,2}(?:st|nd|rd|th)?,?\\s+\\d{4}", "i")
];

// The first date the text prints, as printed; null when it prints none.
function PrintedDate(text) {
  var best = null;
  for (var i = 0; i < PrintedDates.length; i++) {
    var found = PrintedDates[i].exec(text);
    if (found && (best === null || found.index < best.index))
      best = found;
  }
  return best === null ? null : best[0];
}

// --- queries --------------------------------------------------------------------------

// The values an XPath expression that selects attributes finds.
function Hrefs(page, xpath) {
  var found = QueryHtml(page, xpath);
  var values = [];
  for (var i = 0; i < found.length; i++)
    values.push(found[i].text);
  return values;
}

function Count(page, xpath) {
  return parseInt(QueryHtml(page, "count(" + xpath + ")")[0].text, 10);
}

// The text of the first expression that finds a non-empty one; null when none does.
// A heading of thousands of characters is markup that was never closed, no title.
function FirstText(page, xpaths) {
  for (var i = 0; i < xpaths.length; i++) {
    var found = QueryHtml(page, xpaths[i]);
    if (found.length > 0 && found[0].text !== "" && found[0].text.length < 2000)
      return found[0].text;
  }
  return null;
}

// The content of the first <meta> whose property or name is key; null when none.
function Meta(page, key) {
  var found = QueryHtml(page, "(//meta[@property = '" + key + "' or @name = '" + key + "'][@content])[1]/@content");
  return found.length === 0 ? null : found[0].text.replace(/[ \t\r\n\f]+/g, " ").replace(/^ | $/g, "");
}

// --- markup read from the text ----------------------------------------------------------

var CommentStart = /<!--/g;
var CommentEnd = /-->/g;
var ScriptStart = /<script\b/gi;
var ScriptEnd = /<\/script\s*>/gi;
var StyleStart = /<style\b/gi;
var StyleEnd = /<\/style\s*>/gi;
var SourcePatterns = {};

// The text of the first element of that name as the page's text writes it, from its
// start tag to the next end tag of its name; null when there is none or it is never
// closed. Comments, scripts and styles do not count. Tags are dropped (a "<" that
// starts none stays), blanks folded, references decoded.
function SourceElementText(page, name) {
  var patterns = SourcePatterns[name];
  if (patterns === undefined) {
    patterns = [new RegExp("<" + name + "(?=[\\s>])[^>]*>", "gi"), new RegExp("</" + name + "\\s*>", "gi")];
    SourcePatterns[name] = patterns;
  }
  var text = Visible(page);
  patterns[0].lastIndex = 0;
  var start = patterns[0].exec(text);
  if (start === null)
    return null;
  patterns[1].lastIndex = patterns[0].lastIndex;
  var end = patterns[1].exec(text);
  if (end === null)
    return null;
  var inner = text.substring(patterns[0].lastIndex, end.index).replace(/<\/?[a-zA-Z][^>]*>/g, "");
  // Blanks folded before references are decoded: a &nbsp; or &#13; the page asked for stays.
  return DecodeHtml(inner.replace(/[ \t\r\n\f]+/g, " ").replace(/^ | $/g, ""));
}

// The page without comments and without what scripts and styles hold. Kept for the
// last page: the crawl hands the same page to several functions in a row.
var VisiblePage = null;
var VisibleText = null;
function Visible(page) {
  if (page !== VisiblePage) {
    VisibleText = RemoveSections(RemoveSections(RemoveSections(page, CommentStart, CommentEnd), ScriptStart,
                                                ScriptEnd), StyleStart, StyleEnd);
    VisiblePage = page;
  }
  return VisibleText;
}

// The text without every section from a match of start to the next match of end after
// it; a section never closed stays, and so does the rest. One pass over the text.
function RemoveSections(text, start, end) {
  var kept = [];
  var at = 0;
  var found;
  start.lastIndex = 0;
  while ((found = start.exec(text)) !== null) {
    end.lastIndex = start.lastIndex;
    if (end.exec(text) === null)
      break;
    kept.push(text.substring(at, found.index));
    at = end.lastIndex;
    start.lastIndex = at;
  }
  if (at === 0)
    return text;
  kept.push(text.substring(at));
  return kept.join("");
}

// --- addresses ------------------------------------------------------------------------

// The page's own absolute address, when it names one: <base href>, else
// <link rel="canonical">, else og:url. Kept for the last page, as every link of a
// list is made absolute against it.
var AddressPage = null;
var AddressFound = null;
function PageAddress(page) {
  if (page !== AddressPage) {
    var named = Hrefs(page, "(//base/@href)[1]");
    if (named.length === 0 || named[0] === "")
      named = Hrefs(page, "(//link[has-word(@rel, 'canonical')]/@href)[1]");
    if (named.length === 0 || named[0] === "") {
      var og = Meta(page, "og:url");
      named = og === null ? [] : [og];
    }
    AddressFound = named.length > 0 && /^[a-zA-Z][a-zA-Z0-9+.\-]*:\/\/[^\/]/.test(named[0]) ? named[0] : null;
    AddressPage = page;
  }
  return AddressFound;
}

// A link as written, or made absolute against the page's own address. The text is
// kept as the page writes it (ResolveUrl would percent-encode it): entries are known
// by their address, comments included.
function Absolute(page, url) {
  if (/^[a-zA-Z][a-zA-Z0-9+.\-]*:/.test(url))
    return url;
  var base = PageAddress(page);
  return base === null ? url : Resolve(base, url);
}

function Resolve(base, url) {
  var parts = /^([a-zA-Z][a-zA-Z0-9+.\-]*:)\/\/([^\/?#]*)([^?#]*)(\?[^#]*)?/.exec(base);
  var scheme = parts[1], authority = parts[2], path = parts[3] || "/", query = parts[4] || "";
  if (url.substring(0, 2) === "//")
    return scheme + url;
  var origin = scheme + "//" + authority;
  if (url.charAt(0) === "#")
    return origin + path + query + url;
  if (url.charAt(0) === "?")
    return origin + path + url;
  var split = /^([^?#]*)([\s\S]*)$/.exec(url);
  var target = split[1].charAt(0) === "/" ? split[1] : path.replace(/[^\/]*$/, "") + split[1];
  return origin + RemoveDots(target) + split[2];
}

// Applies "." and ".." path segments.
function RemoveDots(path) {
  var input = path.split("/");
  var output = [];
  for (var i = 0; i < input.length; i++) {
    var segment = input[i];
    var last = i === input.length - 1;
    if (segment === "..") {
      if (output.length > 1)
        output.pop();
      if (last)
        output.push("");
    } else if (segment === ".") {
      if (last)
        output.push("");
    } else {
      output.push(segment);
    }
  }
  return output.join("/");
}
