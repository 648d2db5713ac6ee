#pragma once

#include "TocData.h"

#include <functional>
#include <string_view>

// The names of the settings the program reads from the generation database.
namespace TocSettings {
inline const char* const Title = "タイトル";
inline const char* const Description = "説明";
inline const char* const Order = "並び順";
inline const char* const ShowComments = "コメント表示";
// Only the monthly template lists this one; its presence selects monthly grouping.
inline const char* const MonthHeading = "月の見出し";
inline const char* const UncategorizedHeading = "未分類の見出し";
}

// Receives the page piece by piece, in order.
using TocSink = std::function<void(std::string_view)>;

// The table of contents as one HTML5 document, handed on in pieces of about 64 KB
// so that no run holds the whole page.
void WriteToc(const TocData& data, const TocSink& sink);
