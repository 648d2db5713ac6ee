#include "html/HtmlDocument.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

const std::string Page =
    "<!DOCTYPE html>\n"
    "<html lang=\"ja\"><head><meta charset=\"UTF-8\"><title>日記 &amp; 雑記</title>\n"
    "<script type=\"application/ld+json\">{\"headline\": \"<b>見出し</b> &amp;\"}</script></head>\n"
    "<body><header><nav><a href=\"/\">トップ</a></nav></header>\n"
    "<main><article class=\"entry\"><h2><a href=\"/日記/1.html\" rel=\"bookmark\">最初の記事</a></h2>\n"
    "<time datetime=\"2024-05-01T10:00+09:00\">5月1日</time><section><p>本文 a < b</p></section></article>\n"
    "<article class=\"entry\"><h2><a href='/日記/2.html?a=1&amp;b=\"2\"' rel=\"bookmark nofollow\">二番目</a></h2>\n"
    "<time datetime=\"2024-05-02\">5月2日</time><img src=\"/i.png\" alt=\"画像\"><br></article></main></body></html>\n";

std::vector<std::string> Names(const std::vector<HtmlMatch>& matches) {
  std::vector<std::string> names;
  for (const HtmlMatch& match : matches)
    names.push_back(match.Name);
  return names;
}

std::vector<std::string> Texts(const std::vector<HtmlMatch>& matches) {
  std::vector<std::string> texts;
  for (const HtmlMatch& match : matches)
    texts.push_back(match.Text);
  return texts;
}

} // namespace

TEST(HtmlDocumentTest, TextIsReadAsUtf8WhateverThePageDeclares) {
  const std::string body = "<body><p>" + std::string(5000, 'x') + "</p><p>本文の日本語</p></body></html>";
  const std::string heads[] = {
      "<html><head><meta charset=\"Shift_JIS\">",
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">",
      "<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\n<html><head>",
      "<html><head><meta charset=\"ISO-8859-1\">",
      "\xEF\xBB\xBF<html><head><meta charset=\"windows-1252\">",
  };
  for (const std::string& head : heads) {
    const HtmlDocument document(head + "<title>日本語のタイトル</title></head>" + body);
    EXPECT_EQ(Texts(document.Query("//title | //p[2]")),
              (std::vector<std::string>{"日本語のタイトル", "本文の日本語"}))
        << head;
  }
}

TEST(HtmlDocumentTest, QueriesGiveNodesInDocumentOrderAndValues) {
  const HtmlDocument document(Page);
  const struct {
    std::string XPath;
    std::vector<std::string> Names;
    std::vector<std::string> Texts;
  } cases[] = {
      {"//article//time/@datetime", {"datetime", "datetime"}, {"2024-05-01T10:00+09:00", "2024-05-02"}},
      {"//main/article/section/p", {"p"}, {"本文 a < b"}},
      {"//header/nav/a | //h2/a", {"a", "a", "a"}, {"トップ", "最初の記事", "二番目"}},
      {"//a[contains(concat(' ', @rel, ' '), ' nofollow ')]/@href", {"href"}, {"/日記/2.html?a=1&b=\"2\""}},
      {"//h2/a/text()", {"#text", "#text"}, {"最初の記事", "二番目"}},
      {"//head/comment()", {}, {}},
      {"string(//title)", {""}, {"日記 & 雑記"}},
      {"count(//article)", {""}, {"2"}},
      {"count(//article) div 4", {""}, {"0.5"}},
      {"boolean(//time)", {""}, {"true"}},
      {"//table", {}, {}},
      {"string(//table)", {""}, {""}},
      {"h2", {}, {}},  // from the document node: nothing but <html> lies below it
      // The words of class and rel: a class counts with its case, a rel word without.
      {"count(//article[has-class('entry')])", {""}, {"2"}},
      {"count(//article[has-class('ent')] | //article[has-class('Entry')])", {""}, {"0"}},
      {"//a[has-word(@rel, 'NOFOLLOW')]/text()", {"#text"}, {"二番目"}},
      {"count(//a[has-word(@rel, 'bookmark')])", {""}, {"2"}},
      {"count(//a[has-word(@class, 'bookmark')])", {""}, {"0"}},
      {"html/head/title", {"title"}, {"日記 & 雑記"}},
  };
  for (const auto& c : cases) {
    const std::vector<HtmlMatch> matches = document.Query(c.XPath);
    EXPECT_EQ(Names(matches), c.Names) << c.XPath;
    EXPECT_EQ(Texts(matches), c.Texts) << c.XPath;
  }
}

TEST(HtmlDocumentTest, AnElementGivesItsNameTextMarkupAndAttributes) {
  const HtmlDocument document(Page);
  const std::vector<HtmlMatch> links = document.Query("//article[2]//a");
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].Html, "<a href=\"/日記/2.html?a=1&amp;b=&quot;2&quot;\" rel=\"bookmark nofollow\">二番目</a>");
  EXPECT_EQ(links[0].Attributes, (Attributes{{"href", "/日記/2.html?a=1&b=\"2\""}, {"rel", "bookmark nofollow"}}));

  const std::vector<HtmlMatch> article = document.Query("//article[2]");
  ASSERT_EQ(article.size(), 1u);
  EXPECT_EQ(article[0].Text, "二番目 5月2日");
  EXPECT_EQ(article[0].Attributes, (Attributes{{"class", "entry"}}));
  EXPECT_EQ(article[0].Html,
            "<article class=\"entry\"><h2><a href=\"/日記/2.html?a=1&amp;b=&quot;2&quot;\" "
            "rel=\"bookmark nofollow\">二番目</a></h2>\n<time datetime=\"2024-05-02\">5月2日</time>"
            "<img src=\"/i.png\" alt=\"画像\"><br></article>");

  const std::vector<HtmlMatch> markup = HtmlDocument("<P CLASS=x>a &lt; b<INPUT checked><!--注--></P>").Query("//p");
  ASSERT_EQ(markup.size(), 1u);
  EXPECT_EQ(markup[0].Html, "<p class=\"x\">a &lt; b<input checked=\"checked\"><!--注--></p>");
}

TEST(HtmlDocumentTest, ScriptElementsGiveTheirRawContent) {
  const std::vector<HtmlMatch> scripts = HtmlDocument(Page).Query("//script[@type='application/ld+json']");
  ASSERT_EQ(scripts.size(), 1u);
  EXPECT_EQ(scripts[0].Text, "{\"headline\": \"<b>見出し</b> &amp;\"}");
  EXPECT_EQ(scripts[0].Html,
            "<script type=\"application/ld+json\">{\"headline\": \"<b>見出し</b> &amp;\"}</script>");
}

TEST(HtmlDocumentTest, TheMarkupOfAMatchParsesToTheSameNodes) {
  const HtmlDocument document(Page);
  const std::vector<HtmlMatch> articles = document.Query("//article");
  const std::vector<HtmlMatch> links = document.Query("//article//a");
  ASSERT_EQ(articles.size(), 2u);
  for (size_t i = 0; i < articles.size(); ++i) {
    const HtmlDocument fragment(articles[i].Html);
    const std::vector<HtmlMatch> again = fragment.Query(".//a");
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].Html, links[i].Html);
    EXPECT_EQ(again[0].Attributes, links[i].Attributes);
    EXPECT_EQ(fragment.Query("/html/body/article")[0].Html, articles[i].Html);
  }
}

TEST(HtmlDocumentTest, AnInvalidXPathThrowsNamingIt) {
  const HtmlDocument document(Page);
  for (const std::string xpath : {"//a[", "//a[@href='x]", "count(", "//a/@", "unknown(//a)", "", "//a[1]]", "//a) | (//b",
                                 "//a[has-class()]", "//a[has-word(@rel)]"}) {
    try {
      document.Query(xpath);
      ADD_FAILURE() << xpath << " was accepted";
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find("XPath「" + xpath + "」"), std::string::npos) << error.what();
    }
  }
}

TEST(HtmlDocumentTest, NothingIsLoadedFromOutside) {
  const std::string dtd = testing::TempDir() + "tocwerk-html-test.dtd";
  std::ofstream(dtd) << "<!ENTITY secret \"leaked\">\n";
  const HtmlDocument document("<!DOCTYPE html SYSTEM \"" + dtd + "\"><p>&secret;</p><img src=\"file://" + dtd + "\">");
  EXPECT_EQ(document.Text(), "&secret;");
  EXPECT_THROW(document.Query("document('" + dtd + "')"), std::runtime_error);
  std::remove(dtd.c_str());
}
