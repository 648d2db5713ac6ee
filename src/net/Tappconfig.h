#pragma once

#include <mutex>
#include <string>

// The process-wide connection settings: proxy and the wait after pages. A crawl
// reads them on its worker thread while the window may set them, hence the lock.
class TAppConfig {
public:
  static TAppConfig* GetInstance();

  bool GetUseProxy() const;
  void SetUseProxy(bool value);
  std::string GetProxyServer() const;
  void SetProxyServer(const std::string& value);
  int GetProxyPort() const;
  void SetProxyPort(int value);
  int GetSleepTime() const;
  void SetSleepTime(int value);

  // <config home>/Vantrell/Tocwerk/Tocwerk.ini; makes the folder when it is missing,
  // reporting nothing when that fails.
  std::string GetFileName() const;
  // Reads the four values, each falling back to its fixed default.
  void Load(const std::string& path);
  // Writes the four values into the file, keeping its other sections and keys.
  void Save(const std::string& path) const;

private:
  TAppConfig() = default;

  mutable std::mutex Mutex;
  bool UseProxy = false;
  std::string ProxyServer = "127.0.0.1";
  int ProxyPort = 8080;
  int SleepTime = 0;
};
