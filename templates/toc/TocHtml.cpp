#include "TocHtml.h"

#include "text/Tkprintable.h"

std::string PageText(std::string_view text) {
  return PrintableText(text, U"\t\n\r");
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&#39;"; break;
    default: out += c;
    }
  }
}

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

bool IsWebLink(std::string_view url) {
  const auto startsWith = [&](std::string_view scheme) {
    if (url.size() <= scheme.size())
      return false;
    for (size_t i = 0; i < scheme.size(); ++i) {
      char c = url[i];
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
      if (c != scheme[i])
        return false;
    }
    return true;
  };
  for (const char c : url)
    if (static_cast<unsigned char>(c) < 0x21 || c == 0x7f)
      return false;
  return startsWith("http://") || startsWith("https://");
}
