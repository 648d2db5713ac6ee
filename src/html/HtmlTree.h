#pragma once

#include <libxml/tree.h>

#include <string_view>

inline std::string_view NodeName(const xmlNode& node) {
  return node.name == nullptr ? std::string_view() : reinterpret_cast<const char*>(node.name);
}

inline bool IsElement(const xmlNode& node, std::string_view name) {
  return node.type == XML_ELEMENT_NODE && NodeName(node) == name;
}

// Script and style hold raw text, which the parser does not read as markup.
inline bool IsRawTextElement(const xmlNode& node) {
  return IsElement(node, "script") || IsElement(node, "style");
}

// Visits root and everything below it in document order without recursion, so
// that any depth of nesting costs no stack. enter(node) says whether to go below
// node; leave(node) comes after everything below it.
template <typename Enter, typename Leave>
void WalkTree(const xmlNode& root, Enter enter, Leave leave) {
  const xmlNode* node = &root;
  for (;;) {
    if (enter(*node) && node->children != nullptr) {
      node = node->children;
      continue;
    }
    for (;;) {
      leave(*node);
      if (node == &root)
        return;
      if (node->next != nullptr) {
        node = node->next;
        break;
      }
      node = node->parent;
    }
  }
}
