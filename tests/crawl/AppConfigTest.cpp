#include "net/Tappconfig.h"
#include "text/Tkspecialfolder.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

std::string ErrorOf(int kind) {
  try {
    GetSpecialFolderPath(static_cast<int8_t>(kind));
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "no error";
}

// The settings are one per process: every test starts from the defaults.
class AppConfigTest : public testing::Test {
protected:
  void SetUp() override { Config->Load(Folder.File("none.ini")); }

  TempFolder Folder;
  TAppConfig* Config = TAppConfig::GetInstance();
};

} // namespace

TEST_F(AppConfigTest, NoFileGivesTheDefaults) {
  EXPECT_EQ(TAppConfig::GetInstance(), Config);
  EXPECT_FALSE(Config->GetUseProxy());
  EXPECT_EQ(Config->GetProxyServer(), "127.0.0.1");
  EXPECT_EQ(Config->GetProxyPort(), 8080);
  EXPECT_EQ(Config->GetSleepTime(), 0);
  EXPECT_FALSE(std::filesystem::exists(Folder.File("none.ini")));
}

TEST_F(AppConfigTest, DirectConnectionRoundTripsWithEmptyServer) {
  Config->SetUseProxy(false);
  Config->SetProxyServer("");
  Config->SetProxyPort(0);
  Config->SetSleepTime(250);
  const std::string path = Folder.File("Tocwerk.ini");
  Config->Save(path);
  EXPECT_EQ(ReadFile(path), "[HTTP_PROXY]\nUseProxy=0\nProxyServer=\nProxyPort=0\nSleepTime=250\n\n");
  Config->Load(Folder.File("none.ini"));
  Config->Load(path);
  EXPECT_FALSE(Config->GetUseProxy());
  EXPECT_EQ(Config->GetProxyServer(), "");
  EXPECT_EQ(Config->GetProxyPort(), 0);
  EXPECT_EQ(Config->GetSleepTime(), 250);
}

TEST_F(AppConfigTest, UnreadableValuesFallBackAndOtherSectionsSurviveSave) {
  const std::string path = Folder.File("Tocwerk.ini");
  WriteFile(path, "[Window]\nLeft=10\n[http_proxy]\nuseproxy=yes\nproxyport=abc\nSleepTime=-5\nMine=1\n");
  Config->SetSleepTime(99);
  Config->Load(path);
  EXPECT_FALSE(Config->GetUseProxy());
  EXPECT_EQ(Config->GetProxyPort(), 8080);
  EXPECT_EQ(Config->GetSleepTime(), -5);
  Config->SetUseProxy(true);
  Config->Save(path);
  EXPECT_EQ(ReadFile(path), "[Window]\nLeft=10\n\n[http_proxy]\nuseproxy=1\nproxyport=8080\n"
                            "SleepTime=-5\nMine=1\nProxyServer=127.0.0.1\n\n");
}

TEST_F(AppConfigTest, FileNameLiesInTheConfigHomeAndItsFolderIsMade) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", Folder.Path().c_str(), 1);
  const std::string home = Folder.Path().substr(0, Folder.Path().size() - 1);
  EXPECT_EQ(GetSpecialFolderPath(1), home);
  EXPECT_EQ(Config->GetFileName(), home + "/Vantrell/Tocwerk/Tocwerk.ini");
  EXPECT_TRUE(std::filesystem::is_directory(home + "/Vantrell/Tocwerk"));
  EXPECT_FALSE(std::filesystem::exists(home + "/Vantrell/Tocwerk/Tocwerk.ini"));
  if (old)
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

TEST(SpecialFolderTest, EveryKindOfTheTableAnswersAndOthersAreRefused) {
  for (int kind = 0; kind <= 29; ++kind)
    EXPECT_NO_THROW(GetSpecialFolderPath(static_cast<int8_t>(kind))) << kind;
  EXPECT_EQ(GetSpecialFolderPath(2), "");
  EXPECT_EQ(ErrorOf(30), "指定されたコードが見つかりません。");
  EXPECT_EQ(ErrorOf(-1), "指定されたコードが見つかりません。");
  EXPECT_EQ(ErrorOf(-128), "指定されたコードが見つかりません。");
}
