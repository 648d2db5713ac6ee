#pragma once

#include "TocData.h"

#include <string>

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

// The whole table of contents as one HTML5 document.
std::string RenderToc(const TocData& data);
