#pragma once

// Messages that more than one command of the main window shows.
inline constexpr const char* NoBlogTypeMessage =
    "ブログの種類が選択されていません。\nブログの種類のフォルダにブログの種類がありません。";
inline constexpr const char* NoTemplateMessage =
    "テンプレートが選択されていません。\nテンプレートのフォルダにテンプレートがありません。";
