#include "html/HtmlDocument.h"
#include "html/HtmlText.h"

#include <gtest/gtest.h>

#include <string>

TEST(HtmlTextTest, DecodeHtmlDecodesReferencesAndKeepsWhatIsNone) {
  const struct {
    std::string Text;
    std::string Decoded;
  } cases[] = {
      {"a&nbsp;b", "a\u00A0b"},
      {"&amp;&lt;&gt;&quot;&apos;", "&<>\"'"},
      {"&hellip;&mdash;&copy;&hearts;&Eacute;&eacute;", "…—©♥Éé"},
      {"&#12354;&#x3042;&#X3042;&#x1F600;", "あああ😀"},
      {"&#12354 &#x3042x", "あ あx"},  // numeric ones need no ';'
      {"&foo; &AMP; &copy &nbsp", "&foo; &AMP; &copy &nbsp"},
      {"AT&T & &; &#; &#x; &#xg;", "AT&T & &; &#; &#x; &#xg;"},
      {"&#0;&#xD800;&#x110000;&#99999999999999999999;", "\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"&amp;amp; &&amp;", "&amp; &&"},
      {"日本語 &lt;タグ&gt;", "日本語 <タグ>"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeHtml(c.Text), c.Decoded) << c.Text;
}

TEST(HtmlTextTest, TextIsWhatABrowserShows) {
  const struct {
    std::string Html;
    std::string Text;
  } cases[] = {
      {"<p>a < b の話</p>", "a < b の話"},
      {"a < b の話", "a < b の話"},
      {"<p>AT&amp;T &copy; &#x3042;&nbsp;x</p>", "AT&T © あ\u00A0x"},
      {"<p>  改行\r\n\tと  空白 </p>\n", "改行 と 空白"},
      {"一行目<br>二行目<br/>三行目", "一行目 二行目 三行目"},
      {"<p>段落</p><p>段落</p><div>ブロック</div><li>項目</li>", "段落 段落 ブロック 項目"},
      {"<b>強</b>調<span>と</span><a href=x>リンク</a>", "強調とリンク"},
      {"前<script>var s = '<p>x</p>';</script><style>p { }</style><!-- 注 -->後", "前後"},
      {"<title>題</title><h1>見出し</h1>", "題 見出し"},
      {"<html><head><title>題</title></head><body>  本文  </body></html>", "題 本文"},
      {"", ""},
      {"   \n ", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HtmlDocument(c.Html).Text(), c.Text) << c.Html;
}
