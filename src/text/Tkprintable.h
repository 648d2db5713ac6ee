#pragma once

#include <string>
#include <string_view>

// Text from servers, scripts and project files on its way to a terminal, a parser
// or a page: invalid UTF-8 and control characters never pass through raw.

// The character starting at text[i], moving i past it. A byte sequence that is no
// UTF-8 character gives U+FFFD, once for each longest broken piece.
char32_t NextCharacter(std::string_view text, size_t& i);
// C0 and C1 control characters and DEL.
bool IsControlCharacter(char32_t character);

// Every control character but those kept, and invalid UTF-8, shown as U+FFFD.
std::string PrintableText(std::string_view text, std::u32string_view kept = U"\n\t");
