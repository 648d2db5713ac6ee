#include "net/Thttpstatus.h"

namespace {

const char* MeaningOf(long status) {
  switch (status) {
  case 400: return "リクエストが正しくありません";
  case 401: return "認証が必要です";
  case 403: return "アクセスが禁止されています";
  case 404: return "ページが見つかりません";
  case 410: return "ページは削除されました";
  case 429: return "リクエストが多すぎます";
  case 500: return "サーバー内部のエラーです";
  case 502: return "ゲートウェイのエラーです";
  case 503: return "サービスを利用できません";
  case 504: return "ゲートウェイの時間切れです";
  default: break;
  }
  if (status >= 400 && status <= 499)
    return "クライアントのエラーです";
  if (status >= 500 && status <= 599)
    return "サーバーのエラーです";
  return nullptr;
}

} // namespace

std::string HttpStatusError(long status, const std::string& statusLine) {
  const std::string line = statusLine.empty() ? "HTTP " + std::to_string(status) : statusLine;
  const char* meaning = MeaningOf(status);
  if (meaning == nullptr)
    return line;
  return std::to_string(status) + " " + meaning + " (" + line + ")";
}
