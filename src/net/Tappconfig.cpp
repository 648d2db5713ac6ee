#include "net/Tappconfig.h"

#include "store/Tkfileutility.h"
#include "text/Tkinifile.h"
#include "text/Tkspecialfolder.h"

#include <filesystem>
#include <memory>

namespace {

const char* const Section = "HTTP_PROXY";
const char* const ApplicationTitle = "Tocwerk";

} // namespace

TAppConfig* TAppConfig::GetInstance() {
  static const std::unique_ptr<TAppConfig> instance(new TAppConfig);
  return instance.get();
}

bool TAppConfig::GetUseProxy() const {
  std::lock_guard lock(Mutex);
  return UseProxy;
}

void TAppConfig::SetUseProxy(bool value) {
  std::lock_guard lock(Mutex);
  UseProxy = value;
}

std::string TAppConfig::GetProxyServer() const {
  std::lock_guard lock(Mutex);
  return ProxyServer;
}

void TAppConfig::SetProxyServer(const std::string& value) {
  std::lock_guard lock(Mutex);
  ProxyServer = value;
}

int TAppConfig::GetProxyPort() const {
  std::lock_guard lock(Mutex);
  return ProxyPort;
}

void TAppConfig::SetProxyPort(int value) {
  std::lock_guard lock(Mutex);
  ProxyPort = value;
}

int TAppConfig::GetSleepTime() const {
  std::lock_guard lock(Mutex);
  return SleepTime;
}

void TAppConfig::SetSleepTime(int value) {
  std::lock_guard lock(Mutex);
  SleepTime = value;
}

std::string TAppConfig::GetFileName() const {
  const std::string folder =
      WithTrailingSlash(WithTrailingSlash(GetSpecialFolderPath(1)) + "Vantrell") + ApplicationTitle;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder + "/" + ApplicationTitle + ".ini";
}

void TAppConfig::Load(const std::string& path) {
  const TIniFile ini = TIniFile::Load(path);
  SetUseProxy(ini.ReadBool(Section, "UseProxy", false));
  SetProxyServer(ini.ReadString(Section, "ProxyServer", "127.0.0.1"));
  SetProxyPort(ini.ReadInteger(Section, "ProxyPort", 8080));
  SetSleepTime(ini.ReadInteger(Section, "SleepTime", 0));
}

void TAppConfig::Save(const std::string& path) const {
  TIniFile ini = TIniFile::Load(path);
  ini.WriteBool(Section, "UseProxy", GetUseProxy());
  ini.WriteString(Section, "ProxyServer", GetProxyServer());
  ini.WriteInteger(Section, "ProxyPort", GetProxyPort());
  ini.WriteInteger(Section, "SleepTime", GetSleepTime());
  ini.Save(path);
}
