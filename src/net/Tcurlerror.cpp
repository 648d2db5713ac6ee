#include "net/Tcurlerror.h"

#include <curl/curl.h>

const char* CurlErrorMeaning(int code) {
  switch (static_cast<CURLcode>(code)) {
  case CURLE_COULDNT_CONNECT: return "接続できません";
  case CURLE_COULDNT_RESOLVE_HOST: return "サーバーの名前が見つかりません";
  case CURLE_COULDNT_RESOLVE_PROXY: return "プロキシの名前が見つかりません";
  case CURLE_PEER_FAILED_VERIFICATION:
  case CURLE_SSL_CACERT_BADFILE:
  case CURLE_SSL_ISSUER_ERROR:
  case CURLE_SSL_INVALIDCERTSTATUS:
  case CURLE_SSL_PINNEDPUBKEYNOTMATCH: return "証明書を確認できません";
  case CURLE_SSL_CONNECT_ERROR: return "安全な接続 (TLS) を確立できません";
  case CURLE_RECV_ERROR:
  case CURLE_SEND_ERROR: return "通信が途中で切れました";
  case CURLE_GOT_NOTHING: return "サーバーが何も返さずに接続を閉じました";
  case CURLE_TOO_MANY_REDIRECTS: return "転送が多すぎます";
  case CURLE_UNSUPPORTED_PROTOCOL: return "この種類のアドレスは取得できません";
  default: return nullptr;
  }
}
