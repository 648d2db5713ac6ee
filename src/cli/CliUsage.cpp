#include "cli/CliCommands.h"

#include <map>

namespace {

const char* const Program =
    "使い方: tocwerk-cli [--data-dir DIR] [--config FILE] COMMAND ARGS\n"
    "\n"
    "ブログを読み込んでプロジェクトファイルに保存し、目次の HTML を作ります。\n"
    "\n"
    "コマンド:\n"
    "  list blog-types       ブログの種類の一覧 (名前、タブ、説明)\n"
    "  list templates        テンプレートの一覧\n"
    "  init PROJECT ...      プロジェクトを作る、または設定を変える\n"
    "  crawl PROJECT ...     エントリーとカテゴリを取得する\n"
    "  entries PROJECT       エントリーの一覧を表示する\n"
    "  comment PROJECT URL TEXT  エントリーにコメントを付ける\n"
    "  make PROJECT OUTPUT   目次の HTML を作る\n"
    "  detect URL            ブログの種類とカテゴリを判定する\n"
    "  try BLOGTYPE URL      ブログの種類のスクリプトをページで試す\n"
    "\n"
    "共通のオプション:\n"
    "  --data-dir DIR   blog/、template/、db/ のあるフォルダー\n"
    "  --config FILE    接続設定ファイル\n"
    "  --               これより後の引数は - で始まってもオプションではありません\n"
    "\n"
    "各コマンドの使い方: tocwerk-cli COMMAND --help\n";

const std::map<std::string, std::string> Commands{
    {"list", "使い方: tocwerk-cli list blog-types|templates\n"
             "  blog-types  ブログの種類を1行に1つ: 名前、タブ、1行の説明\n"
             "  templates   テンプレートの名前を1行に1つ\n"},
    {"init", "使い方: tocwerk-cli init PROJECT [--blog-type NAME] [--url URL] [--detect]\n"
             "         [--category NAME=URL]... [--template NAME] [--set NAME=VALUE]...\n"
             "PROJECT がなければ新しく作り、あれば開いて、指定した設定を変えて保存します。\n"
             "  --blog-type NAME     ブログの種類\n"
             "  --url URL            ブログのトップページの URL\n"
             "  --detect             トップページからブログの種類とカテゴリを判定して設定する\n"
             "                       (--blog-type、--category を指定したときはそちらが優先)\n"
             "  --category NAME=URL  カテゴリ (1つでも指定すると一覧を丸ごと置き換えます)\n"
             "  --template NAME      目次のテンプレート\n"
             "  --set NAME=VALUE     テンプレートの設定\n"},
    {"crawl", "使い方: tocwerk-cli crawl PROJECT [--entries] [--categories] [--new-only]\n"
              "エントリーとカテゴリを取得して、プロジェクトを保存します。\n"
              "  --entries     エントリーだけを取得する\n"
              "  --categories  カテゴリだけを取得する\n"
              "  --new-only    最新記事のみ (保存済みのエントリーより新しいものだけ)\n"
              "どちらも指定しないときは、エントリー、カテゴリの順に両方を取得します。\n"
              "Ctrl-C (SIGTERM、SIGHUP も) で中止します。取得済みの分を保存して、終了コード 130 で終わります。\n"},
    {"entries", "使い方: tocwerk-cli entries PROJECT [--json]\n"
                "エントリーを表示します。ふだんはタブ区切り (ID、日付、URL、タイトル、カテゴリ、コメント)、\n"
                "--json では JSON の配列です。\n"},
    {"comment", "使い方: tocwerk-cli comment PROJECT URL TEXT\n"
                "URL のエントリーにコメントを付けて、プロジェクトを保存します。\n"},
    {"detect", "使い方: tocwerk-cli detect URL [--categories]\n"
               "URL のページを1回取得して、そのページを読めるブログの種類を良いものから順に\n"
               "1行に1つ (名前、タブ、理由) 表示します。\n"
               "  --categories  続けて空行と、最初のブログの種類が見つけたカテゴリを1行に1つ\n"
               "                (名前、タブ、URL) 表示する\n"
               "どれも読めないときは終了コード 1 です。\n"},
    {"try", "使い方: tocwerk-cli try BLOGTYPE URL [--json]\n"
            "URL のページを1回取得して、ブログの種類 BLOGTYPE のスクリプトにある関数を1つずつ\n"
            "そのページで呼び、取得したページの URL (転送の後) と、関数ごとに名前、かかった時間、\n"
            "結果、GetDate の結果を読んだ日付、結果の中の URL (絶対アドレス)、エラーとその行を表示します。\n"
            "  --json  1つの JSON オブジェクトで表示する\n"
            "    {\"url\", \"load_error\", \"functions\": [{\"name\", \"ms\", \"result\", \"date\",\n"
            "      \"error\": {\"line\", \"message\"}, \"addresses\": [...]}]}\n"
            "スクリプトのエラーがあったときは終了コード 1、ページを取得できないときも 1 です。\n"},
    {"make", "使い方: tocwerk-cli make PROJECT OUTPUT [--template NAME] [--set NAME=VALUE]... [--wait]\n"
             "目次の HTML ファイル OUTPUT を作ります。\n"
             "  --template NAME   このときだけ使うテンプレート\n"
             "  --set NAME=VALUE  このときだけ使う設定\n"
             "  --wait            テンプレートプログラムの終わりを待ち、その終了コードを返す\n"},
};

}

std::string UsageText(const std::string& command) {
  const auto found = Commands.find(command);
  return found == Commands.end() ? Program : found->second;
}
