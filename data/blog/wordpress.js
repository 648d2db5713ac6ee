// WordPress: reads a WordPress site through what WordPress itself writes on every
// page, whatever its theme, classic (Twenty Twenty-One) or block (Twenty
// Twenty-Three). A theme decides the markup around a post; WordPress decides the
// rest, and that is what this script leans on:
//
//   which blog     <meta name="generator" content="WordPress 6.1.9">, or, where a
//                  plugin hides it, <link rel="https://api.w.org/">: the address of
//                  the REST API that WordPress links from every page (Detect).
//   categories     the REST API's category list, wp/v2/categories (JSON): names as
//                  WordPress stores them (HTML-escaped: DecodeHtml), the address of
//                  each category's page, and how many posts each holds. The default
//                  category, 未分類 (Uncategorized), is left out: WordPress puts
//                  every post that the author sorted nowhere into it, so it says
//                  nothing about a post (it can be added by hand). Empty categories
//                  are left out, as WordPress's own category list leaves them out.
//   entries        the REST API's post list, wp/v2/posts, 100 at a time: every
//                  published post once, newest first, sticky posts in their place.
//                  Read through GetEntryList / GetNextEntryListUrl; the crawl reads
//                  each listed post's own page for its title and date. Why not
//                  something else:
//                  - following each post's link to the older one: block themes such
//                    as Twenty Twenty-Three link no post to another;
//                  - the sitemap (wp-sitemap.xml, WordPress 5.5 on): it lists posts
//                    by id, not by date, carries no publication date (its lastmod
//                    is the last change), and needs PHP's SimpleXML (without it the
//                    server answers 501, as Debian's WordPress does when php-xml is
//                    missing);
//                  - the blog's own list pages (/page/2/): the front page moves
//                    sticky posts to its top, out of date order, and each theme
//                    marks its links differently.
//                  The crawl starts on the blog's top page, which must give at least
//                  one entry: it gives its newest post that is not sticky (the one
//                  the REST API lists first, unless a sticky post is newer still);
//                  the REST API gives the rest, the one already read skipped.
//                  A site without the REST API link is read from its list pages.
//   title          the post's heading as the page prints it: block themes print it
//                  with WordPress's Post Title block (class wp-block-post-title),
//                  classic themes with the class entry-title (the hAtom name that
//                  WordPress's default themes have always used). Without either, the
//                  page's <title> less " – site name" (the site name from
//                  og:site_name, the feed link "SITE » フィード" or the rel="home"
//                  link); then og:title. <title> and og:title come second because SEO
//                  plugins rewrite them, often per post. The separator is not always
//                  "–": WordPress turns " - " into " – " only where its typography
//                  filter understands the title ("a < b の話 - サイト名").
//   date           <meta property="article:published_time"> or JSON-LD
//                  datePublished where a plugin writes them; else the post's <time
//                  datetime="…">: in WordPress's Post Date block (class
//                  wp-block-post-date) on block themes, class entry-date on classic
//                  ones. All carry the site's time zone (2024-10-31T23:59:00+09:00),
//                  so the date is exact to the minute wherever the site is.
//   category page  the posts WordPress marks with its post classes (post_class():
//                  "post-63 post type-post …", on classic and block themes alike),
//                  each by the link in its heading: this leaves out widgets such as
//                  "最近の投稿", whose links carry no such class. The next page is
//                  WordPress's own page address (/category/slug/page/2/, or ?paged=2
//                  without pretty permalinks), taken only when the page links to it,
//                  whatever the theme calls that link. The category page lists
//                  the posts of its subcategories too, as the blog shows them.
//
// Every function gets the page's text and its address. JSON answers are text like
// any page: GetEntryList and GetEntryUrl tell them by their first character.

// Posts asked of the REST API at a time (its largest page).
var PerPage = 100;

// --- which blog -------------------------------------------------------------------

function Detect(page, url) {
  // Plugins add generator marks of their own (WooCommerce, Elementor…).
  var generators = QueryHtml(page, "//meta[@name='generator']/@content");
  for (var i = 0; i < generators.length; i++) {
    if (/^WordPress\b/.test(generators[i].text))
      return generators[i].text + " (generator)";
  }
  if (ApiRoot(page) !== "")
    return "WordPress (REST API link)";
  return "";
}

// --- categories ---------------------------------------------------------------------

// Detection fetches this address and hands its answer to GetCategoryList.
function GetCategoryListUrl(page, url) {
  var root = ApiRoot(page);
  return root === "" ? "" : RestUrl(root, "wp/v2/categories", "per_page=" + PerPage + "&_fields=id,name,link,count");
}

// One "name<TAB>address" line per category.
function GetCategoryList(page, url) {
  var lines = [];
  if (IsJson(page)) {
    var categories = JSON.parse(page);
    for (var i = 0; i < categories.length; i++) {
      var category = categories[i];
      var name = DecodeHtml(category.name);
      if (category.count === 0 || IsDefaultCategory(category.id, name))
        continue;
      lines.push(name + "\t" + category.link);
    }
    return lines.join("\n");
  }
  // No REST API: the category links of the page itself (the category widget, the
  // posts' own "rel=category" links).
  var links = QueryHtml(page, "//a[has-word(@rel, 'category') or ancestor::*[has-class('cat-item')] or " +
                              "ancestor::*[has-class('wp-block-categories')]][@href]");
  var seen = {};
  for (var j = 0; j < links.length; j++) {
    var text = links[j].text.replace(/\s*\(\d+\)$/, "");
    var address = Absolute(url, links[j].attributes.href);
    if (text === "" || IsDefaultCategory(0, text) || seen["#" + address])
      continue;
    seen["#" + address] = true;
    lines.push(text + "\t" + address);
  }
  return lines.join("\n");
}

// WordPress's default category under its default name: id 1 on every install.
function IsDefaultCategory(id, name) {
  return (id === 1 || id === 0) && /^(未分類|Uncategorized)$/i.test(name);
}

// --- entries ------------------------------------------------------------------------

// The entries of one list: the top page, then the REST API's pages of posts.
function GetEntryList(page, url) {
  if (IsJson(page))
    return RestLinks(page).join("\n");
  var posts = ListedPosts(page, url);
  if (ApiRoot(page) === "")
    return posts.join("\n");
  // The REST API lists every post: the top page only has to give the newest one.
  return NewestPost(page, url);
}

function GetNextEntryListUrl(page, url) {
  if (IsJson(page)) {
    // A full page may be followed by more; past the end the API answers [] (an
    // offset past the end is no error, a page number past it is).
    var items = JSON.parse(page);
    if (!(items instanceof Array) || items.length < PerPage)
      return "";
    var offset = /[?&]offset=(\d+)/.exec(url);
    return url.replace(/([?&]offset=)\d+/, "$1" + ((offset ? parseInt(offset[1], 10) : 0) + PerPage));
  }
  var root = ApiRoot(page);
  if (root === "")
    return NextListPage(page, url);
  return RestUrl(root, "wp/v2/posts", "per_page=" + PerPage + "&offset=0&_fields=link");
}

// The chain functions, for a program that does not know GetEntryList: the newest
// post, then each post's link to the older one (classic themes have it; block
// themes such as Twenty Twenty-Three do not, and such a chain ends at once).
function GetRecentEntry(page, url) {
  return NewestPost(page, url);
}

function GetNextUrl(page, url) {
  var prev = QueryHtml(page, "//a[has-word(@rel, 'prev')]/@href");
  return prev.length === 0 ? "" : Absolute(url, prev[0].text);
}

// --- one entry ----------------------------------------------------------------------

function GetTitle(page, url) {
  var heading = QueryHtml(page, "//h1[has-class('wp-block-post-title') or has-class('entry-title')]");
  if (heading.length === 0)
    heading = QueryHtml(page, "//*[has-class('wp-block-post-title') or has-class('entry-title')]");
  if (heading.length > 0 && heading[0].text !== "")
    return heading[0].text;
  var title = QueryHtml(page, "//title");
  var documentTitle = title.length === 0 ? "" : title[0].text;
  var withoutSite = WithoutSiteName(page, documentTitle);
  if (withoutSite !== documentTitle)
    return withoutSite;
  var og = Meta(page, "og:title");
  return og !== "" ? og : documentTitle;
}

function GetDate(page, url) {
  var published = Meta(page, "article:published_time");
  if (published !== "")
    return published;
  published = JsonLdDate(page);
  if (published !== "")
    return published;
  var places = [
    "//*[has-class('wp-block-post-date')]//time/@datetime",  // block themes
    "//time[has-class('entry-date')]/@datetime",            // classic themes
    "//*[has-class('type-post')]//time/@datetime",          // inside the post
    "//time/@datetime"
  ];
  for (var i = 0; i < places.length; i++) {
    var found = QueryHtml(page, places[i]);
    if (found.length > 0 && found[0].text !== "")
      return found[0].text;
  }
  return "";
}

// --- category pages -----------------------------------------------------------------

function GetEntryUrl(page, url) {
  if (IsJson(page))
    return RestLinks(page).join("\n");
  return ListedPosts(page, url).join("\n");
}

function GetNextCategoryUrl(page, url) {
  return IsJson(page) ? "" : NextListPage(page, url);
}

// --- the posts of a list page ---------------------------------------------------------

// The address of every post the page lists, in page order, each once. WordPress
// marks each post of the loop with post_class() ("type-post"; "sticky" for a post
// the front page pins to its top); the post's address is the link of its heading
// (or its rel="bookmark" link), else its first link that is not a category, tag or
// author link.
function ListedPosts(page, url, skipSticky) {
  var posts = QueryHtml(page, "//*[has-class('type-post')]");
  var addresses = [];
  var seen = {};
  var outer = "";
  for (var i = 0; i < posts.length; i++) {
    var html = posts[i].html;
    // A post nested in another (an embed) is part of the outer one.
    if (outer.indexOf(html) >= 0)
      continue;
    outer = html;
    if (skipSticky && (" " + posts[i].attributes["class"] + " ").indexOf(" sticky ") >= 0)
      continue;
    var address = PostLink(html, url);
    if (address === "" || seen["#" + address])
      continue;
    seen["#" + address] = true;
    addresses.push(address);
  }
  return addresses;
}

function PostLink(html, url) {
  var queries = [
    "(//h1|//h2|//h3|//h4)//a/@href",
    "//a[has-word(@rel, 'bookmark')]/@href",
    "//a[not(has-word(@rel, 'category') or has-word(@rel, 'tag') or has-word(@rel, 'author'))]" +
        "[not(contains(@href, '#'))]/@href"
  ];
  for (var i = 0; i < queries.length; i++) {
    var found = QueryHtml(html, queries[i]);
    if (found.length > 0 && found[0].text !== "")
      return Absolute(url, found[0].text);
  }
  return "";
}

// The newest post of the top page that it does not pin there.
function NewestPost(page, url) {
  var posts = ListedPosts(page, url, true);
  if (posts.length === 0)
    posts = ListedPosts(page, url, false);
  return posts.length === 0 ? "" : posts[0];
}

// The next list page: WordPress's own address for it (page/N+1/, or paged=N+1 in
// the query), when the page links to it; else a rel="next" link.
function NextListPage(page, url) {
  var wanted = NextPageAddresses(url);
  var links = QueryHtml(page, "//a/@href");
  for (var i = 0; i < links.length; i++) {
    var address = Absolute(url, links[i].text);
    for (var j = 0; j < wanted.length; j++) {
      if (SameAddress(address, wanted[j]))
        return address;
    }
  }
  var next = QueryHtml(page, "//*[self::link or self::a][has-word(@rel, 'next')]/@href");
  return next.length === 0 ? "" : Absolute(url, next[0].text);
}

function NextPageAddresses(url) {
  var split = /^([^?#]*)(\?[^#]*)?/.exec(url);
  var path = split[1];
  var query = split[2] || "";
  var paged = /([?&]paged=)(\d+)/.exec(query);
  if (paged)
    return [path + query.replace(/([?&]paged=)\d+/, "$1" + (parseInt(paged[2], 10) + 1))];
  var numbered = /^(.*\/)page\/(\d+)\/?$/.exec(path);
  if (numbered)
    return [numbered[1] + "page/" + (parseInt(numbered[2], 10) + 1) + "/" + query];
  var folder = /\/$/.test(path) ? path : path + "/";
  return [folder + "page/2/" + query, path + (query === "" ? "?" : query + "&") + "paged=2"];
}

// An address as the page writes it when it is absolute (WordPress writes them so):
// the same post must give the same text from every page that links it, and
// ResolveUrl would write %e6 as %E6. A relative one is made absolute.
function Absolute(url, href) {
  return /^[a-zA-Z][a-zA-Z0-9+.\-]*:/.test(href) ? href : ResolveUrl(url, href);
}

// Addresses compared as a browser writes them, %-escapes in either case.
function SameAddress(a, b) {
  var normal = function (address) {
    return ResolveUrl(address, "").replace(/%[0-9a-f]{2}/gi, function (escape) { return escape.toUpperCase(); });
  };
  return a !== "" && normal(a) === normal(b);
}

// --- the REST API -------------------------------------------------------------------

// The REST API's root as the page links it ("https://example.com/wp-json/", or
// "https://example.com/?rest_route=/" without pretty permalinks); "" when it does not.
function ApiRoot(page) {
  var root = QueryHtml(page, "//link[@rel='https://api.w.org/']/@href");
  return root.length === 0 ? "" : root[0].text;
}

function RestUrl(root, route, query) {
  if (root.indexOf("?") >= 0)
    return root + route + "&" + query;
  return root.replace(/\/?$/, "/") + route + "?" + query;
}

function IsJson(page) {
  return /^\s*[\[{]/.test(page);
}

function RestLinks(page) {
  var items = JSON.parse(page);
  var links = [];
  if (!(items instanceof Array))
    return links;
  for (var i = 0; i < items.length; i++) {
    if (items[i].link)
      links.push(items[i].link);
  }
  return links;
}

// --- the head of a page -------------------------------------------------------------

function Meta(page, key) {
  var found = QueryHtml(page, "//meta[@property='" + key + "' or @name='" + key + "']/@content");
  return found.length === 0 ? "" : found[0].text.replace(/^\s+|\s+$/g, "");
}

// The first datePublished of the page's JSON-LD (SEO plugins put it in a @graph).
function JsonLdDate(page) {
  var scripts = QueryHtml(page, "//script[@type='application/ld+json']");
  for (var i = 0; i < scripts.length; i++) {
    var data;
    try {
      data = JSON.parse(scripts[i].text);
    } catch (e) {
      continue;
    }
    var date = FindValue(data, "datePublished", 0);
    if (date !== "")
      return date;
  }
  return "";
}

function FindValue(data, key, depth) {
  if (data === null || typeof data !== "object" || depth > 8)
    return "";
  if (typeof data[key] === "string")
    return data[key];
  for (var name in data) {
    var found = FindValue(data[name], key, depth + 1);
    if (found !== "")
      return found;
  }
  return "";
}

// The document title less " – site name" at its end; as it is when the site name is
// not known or not there.
function WithoutSiteName(page, title) {
  var names = [Meta(page, "og:site_name")];
  var feed = QueryHtml(page, "//link[@rel='alternate'][@type='application/rss+xml']/@title");
  if (feed.length > 0 && feed[0].text.lastIndexOf(" » ") > 0)
    names.push(feed[0].text.substring(0, feed[0].text.lastIndexOf(" » ")));
  var home = QueryHtml(page, "//a[has-word(@rel, 'home')]");
  if (home.length > 0)
    names.push(home[0].text);
  for (var i = 0; i < names.length; i++) {
    var name = names[i];
    if (name === "" || title.length <= name.length || title.substring(title.length - name.length) !== name)
      continue;
    var rest = title.substring(0, title.length - name.length);
    var separated = /^([\s\S]*\S)\s+[-–—|·•:»~\/]\s*$/.exec(rest);
    if (separated)
      return separated[1];
  }
  return title;
}
