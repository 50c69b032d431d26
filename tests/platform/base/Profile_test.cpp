#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/base/Exceptions.h"
#include "platform/base/IniFiles.h"
#include "platform/base/Profile.h"
#include "platform/base/SysUtils.h"

#include <sys/stat.h>

namespace {

std::string Get(const std::string& file, const std::string& section, const std::string& key,
                const std::string& def = "DEF") {
  return GetPrivateProfileString(section, key, def, file);
}

}  // namespace

TEST(Profile, SectionAndKeyIgnoreCaseAndValuesLoseSurroundingBlanks) {
  TTempDir dir;
  std::string f = dir.File("Settings.ini");
  WriteBytes(f,
             "; settings\r\n"
             "[Other]\r\nRingTime=99\r\n"
             "  [ settings ]  \r\n"
             "   ringtime   =   15   \r\n"
             "Message=\t Not here \t\r\n"
             "CallerID=\"  quoted  \"\r\n"
             "Single='x'\r\n"
             "Half=\"open\r\n"
             "NoValue\r\n"
             "Empty=\r\n");
  EXPECT_EQ(Get(f, "Settings", "RingTime"), "15");
  EXPECT_EQ(Get(f, "SETTINGS", "MESSAGE"), "Not here");
  EXPECT_EQ(Get(f, "Settings", "CallerID"), "  quoted  ");
  EXPECT_EQ(Get(f, "Settings", "Single"), "x");
  EXPECT_EQ(Get(f, "Settings", "Half"), "\"open");
  EXPECT_EQ(Get(f, "Settings", "NoValue"), "DEF");
  EXPECT_EQ(Get(f, "Settings", "Empty"), "");
  EXPECT_EQ(Get(f, "Other", "RingTime"), "99");
  EXPECT_EQ(Get(f, "Settings", "; settings"), "DEF");
}

TEST(Profile, MissingFileSectionOrKeyGiveTheDefaultWithoutTrailingBlanks) {
  TTempDir dir;
  std::string f = dir.File("Settings.ini");
  EXPECT_EQ(Get(f, "Settings", "Message", "Unanswered  "), "Unanswered");
  EXPECT_EQ(Get(f, "Settings", "Message", "  lead"), "  lead");
  EXPECT_FALSE(FileExists(f));  // reading never creates the file
  WriteBytes(f, "[Settings]\nRingTone=\n");
  EXPECT_EQ(Get(f, "Nope", "RingTone", "10"), "10");
  EXPECT_EQ(Get(f, "Settings", "RingTime", "10"), "10");
  EXPECT_EQ(Get(f, "Settings", "RingTone", "10"), "");
}

TEST(Profile, OnlyTheFirstSectionOfANameCounts) {
  TTempDir dir;
  std::string f = dir.File("a.ini");
  WriteBytes(f, "[S]\nA=1\n[s]\nA=2\nB=3\n");
  EXPECT_EQ(Get(f, "S", "A"), "1");
  EXPECT_EQ(Get(f, "S", "B"), "DEF");
}

TEST(Profile, ValuesAreCutTo2047CharactersByDefault) {
  TTempDir dir;
  std::string f = dir.File("long.ini");
  std::string value(5000, 'v');
  value[2046] = 'L';
  WriteBytes(f, "[S]\nK=" + value + "\n");
  std::string read = Get(f, "S", "K");
  ASSERT_EQ(read.size(), 2047u);
  EXPECT_EQ(read.back(), 'L');
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", f, 10).size(), 10u);
  EXPECT_EQ(GetPrivateProfileString("S", "missing", std::string(3000, 'd'), f).size(), 2047u);
}

TEST(Profile, WritingAKeyChangesOnlyItsLine) {
  TTempDir dir;
  std::string f = dir.File("Settings.ini");
  const std::string before =
      "; written by hand\r\n"
      "[Settings]\r\n"
      "  RingTone =  c:\\old.wav  \r\n"
      "; keep me\r\n"
      "RingTime=10\n"          // a lone LF stays a lone LF
      "\r\n"
      "[Other]\r\n"
      "RingTone=untouched\r\n";
  WriteBytes(f, before);
  ASSERT_TRUE(WritePrivateProfileString("settings", "RINGTIME", "20", f));
  std::string expected = before;
  expected.replace(expected.find("RingTime=10"), 11, "RingTime=20");
  EXPECT_EQ(ReadBytes(f), expected);

  ASSERT_TRUE(WritePrivateProfileString("Settings", "ringtone", "/music/bell.wav", f));
  expected.replace(expected.find("  RingTone =  c:\\old.wav  "), 26, "RingTone=/music/bell.wav");
  EXPECT_EQ(ReadBytes(f), expected);
  EXPECT_EQ(Get(f, "Other", "RingTone"), "untouched");
}

TEST(Profile, AMissingKeyGoesAfterTheLastLineOfItsSection) {
  TTempDir dir;
  std::string f = dir.File("Settings.ini");
  WriteBytes(f, "[Settings]\r\nRingTime=10\r\n\r\n[Other]\r\nX=1\r\n");
  ASSERT_TRUE(WritePrivateProfileString("Settings", "Message", "Busy now", f));
  EXPECT_EQ(ReadBytes(f), "[Settings]\r\nRingTime=10\r\nMessage=Busy now\r\n\r\n[Other]\r\nX=1\r\n");
  // The last section of a file without a final line break.
  WriteBytes(f, "[Settings]\nA=1");
  ASSERT_TRUE(WritePrivateProfileString("Settings", "B", "2", f));
  EXPECT_EQ(ReadBytes(f), "[Settings]\nA=1\nB=2\n");
}

TEST(Profile, AMissingSectionAndFileAreCreated) {
  TTempDir dir;
  std::string f = dir.File("Settings.ini");
  ASSERT_TRUE(WritePrivateProfileString("Settings", "RingTone", "", f));
  ASSERT_TRUE(WritePrivateProfileString("Settings", "RingTime", "20", f));
  EXPECT_EQ(ReadBytes(f), "[Settings]\r\nRingTone=\r\nRingTime=20\r\n");
  EXPECT_EQ(Get(f, "Settings", "RingTone"), "");
  WriteBytes(f, "[Old]\r\nA=1");
  ASSERT_TRUE(WritePrivateProfileString("New", "K", "V", f));
  EXPECT_EQ(ReadBytes(f), "[Old]\r\nA=1\r\n[New]\r\nK=V\r\n");
}

TEST(Profile, RewritingKeepsTheFilesPermissionsAndLeavesNoTemporaryFiles) {
  TTempDir dir;
  std::string f = dir.File("Settings.ini");
  WriteBytes(f, "[Settings]\r\nRingTime=10\r\n");
  ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
  ASSERT_TRUE(WritePrivateProfileString("Settings", "RingTime", "3", f));
  struct stat info {};
  ASSERT_EQ(::stat(f.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries, (void)e;
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(Get(f, "Settings", "RingTime"), "3");
}

TEST(Profile, LineBreaksInAValueCannotForgeLines) {
  TTempDir dir;
  std::string f = dir.File("Settings.ini");
  ASSERT_TRUE(WritePrivateProfileString("Settings", "Message", "hi\r\n[Evil]\nX=1", f));
  EXPECT_EQ(Get(f, "Settings", "Message"), "hi  [Evil] X=1");
  EXPECT_EQ(Get(f, "Evil", "X"), "DEF");
}

TEST(Profile, EightBitTextSurvives) {
  TTempDir dir;
  std::string f = dir.File("Settings.ini");
  std::string caller = "J\xf6rg \xe9\xff";
  ASSERT_TRUE(WritePrivateProfileString("Settings", "CallerID", caller, f));
  EXPECT_EQ(Get(f, "Settings", "CallerID"), caller);
}

TEST(IniFile, WriteFailureRaisesUnableToWriteAndKeepsEarlierKeys) {
  TTempDir dir;
  TIniFile ini(dir.File("Settings.ini"));
  ini.WriteString("Settings", "RingTone", "a.wav");
  ini.WriteInteger("Settings", "RingTime", 12);
  EXPECT_EQ(ini.ReadString("Settings", "RingTone", ""), "a.wav");
  EXPECT_EQ(ini.ReadInteger("Settings", "RingTime", 10), 12);
  EXPECT_EQ(ini.ReadInteger("Settings", "RingTone", 10), 10);
  EXPECT_EQ(ini.ReadInteger("Settings", "Missing", 10), 10);

  std::string bad = dir.File("missing-dir/Settings.ini");
  TIniFile broken(bad);
  try {
    broken.WriteString("Settings", "RingTone", "x");
    FAIL() << "no exception";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + bad);
  }
  EXPECT_EQ(broken.ReadString("Settings", "RingTone", "dflt"), "dflt");
}
