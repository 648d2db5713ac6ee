#pragma once

struct _xmlXPathContext;

// The functions blog type scripts may use in their XPath expressions besides XPath
// 1.0's own, for the attributes HTML fills with lists of words:
//   has-class('name')         whether the node's class attribute holds that word, as
//                             the CSS selector .name matches it (case counts);
//   has-word(string, 'word')  whether the string, split at blanks, holds that word
//                             without regard to ASCII case, as rel values compare
//                             (has-word(@rel, 'next')).
void RegisterXPathFunctions(_xmlXPathContext& context);
