#include "text/Tkinifile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(IniFileTest, ReadsWithTheUsualRules) {
  const TIniFile ini = TIniFile::FromText(
      "ignored=before any section\r\n"
      "  [ Config ]  \r\n"
      "; name=commented out\r\n"
      "  Name  =  My blog = best  \r\n"
      "empty=\r\n"
      "no equals sign\n"
      "name=second value\n"
      "[script]\n"
      "FILE=blog.js\n");
  EXPECT_EQ(ini.ReadString("CONFIG", "name", "?"), "My blog = best");
  EXPECT_EQ(ini.ReadString("config", "NAME", "?"), "My blog = best");
  EXPECT_EQ(ini.ReadString("CONFIG", "empty", "default"), "");
  EXPECT_EQ(ini.ReadString("CONFIG", "missing", "default"), "default");
  EXPECT_EQ(ini.ReadString("CONFIG", "ignored", "default"), "default");
  EXPECT_EQ(ini.ReadString("Script", "file", ""), "blog.js");
  EXPECT_EQ(ini.ReadString("NOSECTION", "file", "x"), "x");
  EXPECT_EQ(ini.ReadKeys("config"), (std::vector<std::string>{"Name", "empty", "name"}));
}

TEST(IniFileTest, NumbersFallBackToTheDefault) {
  const TIniFile ini = TIniFile::FromText(
      "[N]\na=42\nb=-7\nc=+3\nd=abc\ne=12x\nf=\ng=99999999999\nh=1\ni=0\nj=yes\n");
  EXPECT_EQ(ini.ReadInteger("N", "a", 0), 42);
  EXPECT_EQ(ini.ReadInteger("N", "b", 0), -7);
  EXPECT_EQ(ini.ReadInteger("N", "c", 0), 3);
  EXPECT_EQ(ini.ReadInteger("N", "d", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "e", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "f", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "g", 5), 5);
  EXPECT_TRUE(ini.ReadBool("N", "h", false));
  EXPECT_FALSE(ini.ReadBool("N", "i", true));
  EXPECT_FALSE(ini.ReadBool("N", "j", false));
  EXPECT_TRUE(ini.ReadBool("N", "missing", true));
}

TEST(IniFileTest, SaveKeepsOtherSectionsAndKeysInOrder) {
  TempFolder folder;
  const std::string path = folder.File("settings.ini");
  WriteFile(path, "[Other]\nkeep=me\n; comment\n[HTTP_PROXY]\nExtra=1\nproxyport=1\n");
  TIniFile ini = TIniFile::Load(path);
  ini.WriteString("http_proxy", "ProxyPort", "3128");
  ini.WriteInteger("HTTP_PROXY", "SleepTime", 500);
  ini.WriteBool("New", "Flag", true);
  ini.Save(path);
  EXPECT_EQ(ReadFile(path),
            "[Other]\nkeep=me\n\n[HTTP_PROXY]\nExtra=1\nproxyport=3128\nSleepTime=500\n\n"
            "[New]\nFlag=1\n\n");
}

TEST(IniFileTest, MissingFileIsEmptyAndCodePage932FilesAreRead) {
  TempFolder folder;
  EXPECT_EQ(TIniFile::Load(folder.File("none.ini")).ReadString("A", "b", "d"), "d");
  WriteFile(folder.File("sjis.ini"), "[CONFIG]\nname=\x93\xFA\x8B\x4C\x95\x5C\n");
  EXPECT_EQ(TIniFile::Load(folder.File("sjis.ini")).ReadString("CONFIG", "name", ""), "日記表");
  WriteFile(folder.File("bom.ini"), "\xEF\xBB\xBF[CONFIG]\nname=日記\n");
  EXPECT_EQ(TIniFile::Load(folder.File("bom.ini")).ReadString("CONFIG", "name", ""), "日記");
}

TEST(IniFileTest, SaveIntoMissingFolderThrowsAndLeavesNothing) {
  TempFolder folder;
  EXPECT_THROW(TIniFile().Save(folder.File("missing/settings.ini")), std::runtime_error);
}
