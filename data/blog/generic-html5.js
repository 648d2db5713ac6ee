// 汎用 (HTML5): reads the markup that many blog engines write.
//   newest entry  the first link marked rel="bookmark" on the top page, else the first
//                 link inside the first <article>
//   title         <meta property="og:title">, else the first <h1>, else <title>
//   date          the first <time datetime="...">, else <meta property="article:published_time">
//   older entry   the rel="prev" link (<link> or <a>)
//   category page its rel="bookmark" links, one per line; its next page is rel="next"
// A link is returned as written, or made absolute when the page names its own address
// (<base href>, <link rel="canonical"> or og:url), so that the entry pages and the
// category pages give the same text for the same entry.

function GetRecentEntry(page) {
  var html = Visible(page);
  var url = FirstRelHref(html, "a", "bookmark");
  if (url === null)
    url = FirstLinkInArticle(html);
  return url === null ? "" : Absolute(html, url);
}

function GetTitle(page) {
  var html = Visible(page);
  var title = MetaContent(html, "og:title");
  if (title === null)
    title = ElementText(html, "h1");
  if (title === null)
    title = ElementText(html, "title");
  return title === null ? "" : title;
}

function GetDate(page) {
  var html = Visible(page);
  var tags = Tags(html, "time");
  for (var i = 0; i < tags.length; i++) {
    var datetime = Attribute(tags[i], "datetime");
    if (datetime !== null)
      return datetime;
  }
  var published = MetaContent(html, "article:published_time");
  return published === null ? "" : published;
}

function GetNextUrl(page) {
  var html = Visible(page);
  var url = FirstRelHref(html, "link|a", "prev");
  return url === null ? "" : Absolute(html, url);
}

function GetEntryUrl(page) {
  var html = Visible(page);
  var tags = Tags(html, "a");
  var urls = [];
  var seen = {};
  for (var i = 0; i < tags.length; i++) {
    if (!HasRel(tags[i], "bookmark"))
      continue;
    var href = Attribute(tags[i], "href");
    if (href === null || href === "")
      continue;
    var url = Absolute(html, href);
    // The title link and a "read more" link often both point at the entry.
    if (seen["#" + url])
      continue;
    seen["#" + url] = true;
    urls.push(url);
  }
  return urls.join("\n");
}

function GetNextCategoryUrl(page) {
  var html = Visible(page);
  var url = FirstRelHref(html, "link|a", "next");
  return url === null ? "" : Absolute(html, url);
}

// --- markup helpers -----------------------------------------------------------

// Patterns are compiled once: the crawl calls these functions for every page. Every
// scan of a page goes forward only, so that a page costs one pass whatever it holds
// (a lazy [\s\S]*? over the rest of the page, tried at each of many unclosed
// openings, would cost the square of its size).
var CommentStart = /<!--/g;
var CommentEnd = /-->/g;
var ScriptStart = /<script\b/gi;
var ScriptEnd = /<\/script\s*>/gi;
var StyleStart = /<style\b/gi;
var StyleEnd = /<\/style\s*>/gi;
var ArticleStart = /<article\b/gi;
var ArticleEnd = /<\/article\s*>/gi;
var TagSpecial = /[>"']/g;
// The rest of a start tag, quoted text skipped. Tried once per tag while every tag so
// far has ended: the tags it matches do not overlap, so this costs one pass.
var TagBody = /(?:[^>"']|"[^"]*"|'[^']*')*>/y;
var TagName = /^<[^\s\/>]+/;
var AttributePattern = /\s([^\s"'>\/=]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))?/g;
var RelAttribute = /\srel\s*=/i;
var TagPatterns = {};
var ElementPatterns = {};

// The page without comments and without the contents of scripts and styles, whose
// text may look like links. Kept for the last page: the crawl hands the same page to
// three functions in a row.
var VisiblePage = null;
var VisibleHtml = null;
function Visible(page) {
  if (page !== VisiblePage) {
    VisibleHtml = RemoveSections(RemoveSections(RemoveSections(page, CommentStart, CommentEnd),
                                                ScriptStart, ScriptEnd), StyleStart, StyleEnd);
    VisiblePage = page;
  }
  return VisibleHtml;
}

// The text without every section from a match of start to the next match of end
// after it; a section that is never closed stays, and so does the rest of the text,
// as no later one can be closed either.
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
  // Most pages have nothing to remove: the text itself spares a copy.
  if (at === 0)
    return text;
  kept.push(text.substring(at));
  return kept.join("");
}

// The content of the first element that start finds, between the end of its start
// tag and the next match of end; null when there is none.
function FirstContent(html, start, end) {
  start.lastIndex = 0;
  if (start.exec(html) === null)
    return null;
  var open = html.indexOf(">", start.lastIndex);
  if (open < 0)
    return null;
  end.lastIndex = open + 1;
  var close = end.exec(html);
  // A later start tag ends no earlier, so its element cannot be closed either.
  return close === null ? null : html.substring(open + 1, close.index);
}

// The text with every "<...>" removed; a "<" that no ">" follows stays with the rest.
function RemoveTags(text) {
  var kept = [];
  var at = 0;
  for (;;) {
    var open = text.indexOf("<", at);
    var close = open < 0 ? -1 : text.indexOf(">", open + 1);
    if (close < 0)
      break;
    kept.push(text.substring(at, open));
    at = close + 1;
  }
  kept.push(text.substring(at));
  return kept.join("");
}

// Every start tag of the given names ("a" or "link|a"), in page order. The lists of
// the last markup looked at are kept: the functions of one page ask for the same
// tags again. Callers only read them.
var TagsHtml = null;
var TagsFound = {};
function Tags(html, names) {
  if (html !== TagsHtml) {
    TagsHtml = html;
    TagsFound = {};
  }
  if (TagsFound.hasOwnProperty(names))
    return TagsFound[names];
  var pattern = TagPatterns[names];
  if (pattern === undefined) {
    pattern = new RegExp("<(?:" + names + ")(?=[\\s/>])", "gi");
    TagPatterns[names] = pattern;
  }
  var found = [];
  var scan = null;
  var start;
  pattern.lastIndex = 0;
  while ((start = pattern.exec(html)) !== null) {
    var end = -1;
    if (scan === null) {
      TagBody.lastIndex = pattern.lastIndex;
      end = TagBody.exec(html) === null ? -1 : TagBody.lastIndex;
    }
    // The pattern alone could retry the rest of the page from every later start.
    if (end < 0) {
      if (scan === null)
        scan = { ends: {}, runFrom: -1, runTo: -1 };
      end = TagEnd(html, pattern.lastIndex, scan);
    }
    if (end >= 0) {
      found.push(html.substring(start.index, end));
      pattern.lastIndex = end;
    } else {
      pattern.lastIndex = start.index + 1;
    }
  }
  TagsFound[names] = found;
  return found;
}

// Where a start tag whose name ends at from ends (the index after its ">"), quoted
// text skipped, as (?:[^>"']|"[^"]*"|'[^']*')*> reads it; -1 when it does not end.
// scan keeps what earlier calls on the page learnt: the end reached from each ">"
// or quote looked at, and the last stretch known to hold none of them, so that the
// tags of a page cost one pass over it however many never end.
function TagEnd(html, from, scan) {
  var visited = [];
  var at = from;
  var end;
  for (;;) {
    var special;
    if (at >= scan.runFrom && at <= scan.runTo) {
      special = scan.runTo;
    } else {
      TagSpecial.lastIndex = at;
      var found = TagSpecial.exec(html);
      special = found === null ? html.length : found.index;
      scan.runFrom = at;
      scan.runTo = special;
    }
    if (special === html.length) {
      end = -1;
      break;
    }
    if (scan.ends.hasOwnProperty(special)) {
      end = scan.ends[special];
      break;
    }
    visited.push(special);
    var c = html.charAt(special);
    if (c === ">") {
      end = special + 1;
      break;
    }
    var closing = html.indexOf(c, special + 1);
    if (closing < 0) {
      end = -1;
      break;
    }
    at = closing + 1;
  }
  for (var i = 0; i < visited.length; i++)
    scan.ends[visited[i]] = end;
  return end;
}

// The decoded value of an attribute of a start tag; null when it is absent. Names
// match without regard to case; values may be double-quoted, single-quoted or bare.
function Attribute(tag, name) {
  var inner = tag.replace(TagName, "");
  var match;
  AttributePattern.lastIndex = 0;
  while ((match = AttributePattern.exec(inner)) !== null) {
    if (match[1].toLowerCase() !== name)
      continue;
    var value = match[2] !== undefined ? match[2] : match[3] !== undefined ? match[3] : match[4];
    return value === undefined ? "" : DecodeReferences(value);
  }
  return null;
}

// rel holds a list of words: rel="prev nofollow" is a prev link too.
function HasRel(tag, word) {
  if (!RelAttribute.test(tag))
    return false;
  var rel = Attribute(tag, "rel");
  if (rel === null)
    return false;
  var words = rel.toLowerCase().split(/\s+/);
  for (var i = 0; i < words.length; i++)
    if (words[i] === word)
      return true;
  return false;
}

function FirstRelHref(html, names, word) {
  var tags = Tags(html, names);
  for (var i = 0; i < tags.length; i++) {
    if (!HasRel(tags[i], word))
      continue;
    var href = Attribute(tags[i], "href");
    if (href !== null && href !== "")
      return href;
  }
  return null;
}

function FirstLinkInArticle(html) {
  var article = FirstContent(html, ArticleStart, ArticleEnd);
  return article === null ? null : FirstHref(Tags(article, "a"));
}

// The content of the first <meta> whose property or name is key.
function MetaContent(html, key) {
  var tags = Tags(html, "meta");
  for (var i = 0; i < tags.length; i++) {
    if (tags[i].toLowerCase().indexOf(key) < 0)
      continue;
    var property = Attribute(tags[i], "property");
    if (property === null)
      property = Attribute(tags[i], "name");
    if (property !== null && property.toLowerCase() === key) {
      var content = Attribute(tags[i], "content");
      if (content !== null)
        return Clean(content);
    }
  }
  return null;
}

// The text of the first element of that name, tags removed; null when there is none.
function ElementText(html, name) {
  var patterns = ElementPatterns[name];
  if (patterns === undefined) {
    patterns = [new RegExp("<" + name + "(?=[\\s>])", "gi"), new RegExp("</" + name + "\\s*>", "gi")];
    ElementPatterns[name] = patterns;
  }
  var content = FirstContent(html, patterns[0], patterns[1]);
  return content === null ? null : Clean(RemoveTags(content));
}

// Runs of blanks and line breaks as one blank, as a browser shows them; references
// decoded last, so that &nbsp; stays.
function Clean(text) {
  return DecodeReferences(text.replace(/[ \t\r\n\f]+/g, " "));
}

// --- character references ---------------------------------------------------

var NamedReferences = {
  amp: "&", lt: "<", gt: ">", quot: "\"", apos: "'", nbsp: "\u00A0",
  copy: "\u00A9", reg: "\u00AE", trade: "\u2122", hellip: "\u2026", middot: "\u00B7",
  laquo: "\u00AB", raquo: "\u00BB", lsquo: "\u2018", rsquo: "\u2019", ldquo: "\u201C",
  rdquo: "\u201D", ndash: "\u2013", mdash: "\u2014", yen: "\u00A5", times: "\u00D7",
  divide: "\u00F7", deg: "\u00B0", hearts: "\u2665", larr: "\u2190", rarr: "\u2192",
  uarr: "\u2191", darr: "\u2193", bull: "\u2022", sect: "\u00A7", para: "\u00B6"
};

function DecodeReferences(text) {
  return text.replace(/&(#[xX][0-9a-fA-F]+|#[0-9]+|[a-zA-Z][a-zA-Z0-9]*);/g, function (all, body) {
    if (body.charAt(0) !== "#")
      return NamedReferences.hasOwnProperty(body) ? NamedReferences[body] : all;
    var hex = body.charAt(1) === "x" || body.charAt(1) === "X";
    var code = hex ? parseInt(body.substring(2), 16) : parseInt(body.substring(1), 10);
    return CodePointText(code);
  });
}

// A code point as one or two UTF-16 units; U+FFFD for what is no character.
function CodePointText(code) {
  if (!(code > 0 && code <= 0x10FFFF) || (code >= 0xD800 && code <= 0xDFFF))
    return "\uFFFD";
  if (code <= 0xFFFF)
    return String.fromCharCode(code);
  code -= 0x10000;
  return String.fromCharCode(0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF));
}

// --- addresses ----------------------------------------------------------------

// The page's own absolute address, when it names one. Kept for the last markup, as
// every link of a category page is made absolute against it.
var AddressHtml = null;
var AddressFound = null;
function PageAddress(html) {
  if (html !== AddressHtml) {
    AddressFound = FindPageAddress(html);
    AddressHtml = html;
  }
  return AddressFound;
}

function FindPageAddress(html) {
  var base = FirstHref(Tags(html, "base"));
  if (base === null)
    base = FirstRelHref(html, "link", "canonical");
  if (base === null)
    base = MetaContent(html, "og:url");
  return base !== null && /^[a-zA-Z][a-zA-Z0-9+.\-]*:\/\/[^\/]/.test(base) ? base : null;
}

function FirstHref(tags) {
  for (var i = 0; i < tags.length; i++) {
    var href = Attribute(tags[i], "href");
    if (href !== null && href !== "")
      return href;
  }
  return null;
}

function Absolute(html, url) {
  if (/^[a-zA-Z][a-zA-Z0-9+.\-]*:/.test(url))
    return url;
  var base = PageAddress(html);
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
