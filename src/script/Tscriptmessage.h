#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The messages between TScriptController and tocwerk-script-host. A message is its
// length (4 bytes, little-endian) and a body; the body is a list of fields, each its
// length (4 bytes, little-endian) and its bytes.
//   load: "load", time limit (decimal milliseconds), script code
//   call: "call", time limit, argument source text, page URL, function names
//   again: "again", time limit, page URL, function names (called with the last
//          argument)
//   has: "has", time limit, function name; its reply's value is "1" when the
//        script defines a function of that name, else "0"
//   reply: value, "1" or "0" (an error), error line, error column, error description
// The page URL is the functions' second argument; an empty one is not passed.
// A call or again is answered with one reply per function, each sent as soon as its
// function returns; the first error ends the list.

// Large enough for any page the crawls accept, small enough that a reply cannot
// exhaust the program.
constexpr size_t MaxScriptMessageSize = 256u << 20;

std::string EncodeScriptMessage(const std::vector<std::string>& fields);
// The length of the body that follows a 4-byte header.
size_t ScriptMessageLength(const char* header);
// Throws std::runtime_error when the body is not a list of fields.
std::vector<std::string> DecodeScriptMessage(const std::string& body);
