#include "SampleTitle.h"

std::string EscapeHtml(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    switch (c) {
    case '&': result += "&amp;"; break;
    case '<': result += "&lt;"; break;
    case '>': result += "&gt;"; break;
    case '"': result += "&quot;"; break;
    case '\'': result += "&#39;"; break;
    default: result += c;
    }
  }
  return result;
}

TSampleTitle MakeSampleTitle(int number, TSampleCharset charset) {
  const std::string n = std::to_string(number);
  switch (number % 8) {
  case 0: return {"表計算ソフトの機能まとめ その" + n, "表計算ソフトの機能まとめ その" + n};
  case 1: return {"R&amp;D 日誌 #" + n, "R&D 日誌 #" + n};
  case 2:
    return {"&lt;script&gt; タグと &#x3042;&#12356;う " + n, "<script> タグと あいう " + n};
  case 3:
    return {"&quot;引用&quot; と &#39;アポストロフィ&#39; 第" + n + "回",
            "\"引用\" と 'アポストロフィ' 第" + n + "回"};
  case 4: return {"ダメ文字 ソ・表・能・十・予 (" + n + ")", "ダメ文字 ソ・表・能・十・予 (" + n + ")"};
  case 5:
    if (charset == TSampleCharset::Utf8)
      return {"寿司 🍣 とビール 🍺 " + n, "寿司 🍣 とビール 🍺 " + n};
    return {"寿司 &#x1F363; とビール " + n, "寿司 🍣 とビール " + n};
  case 6: return {"コーヒー&nbsp;と&nbsp;紅茶 " + n, "コーヒー\u00A0と\u00A0紅茶 " + n};
  default: return {"\n    空白で囲まれた題名 " + n + " \t\n", "空白で囲まれた題名 " + n};
  }
}
