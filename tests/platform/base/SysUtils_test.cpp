#include <gtest/gtest.h>

#include "TempDir.h"
#include "platform/base/Exceptions.h"
#include "platform/base/SysUtils.h"

TEST(SysUtils, StrToIntAcceptsDecimalAndHexWithBlanksAndRejectsTheRest) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("  -17 "), -17);
  EXPECT_EQ(StrToInt("+5"), 5);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", "  ", "12a", "1 2", "2147483648", "-2147483649", "$", "-", "1.5", "$1FFFFFFFF"})
    EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
  try {
    StrToInt("ten");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'ten' is not a valid integer value");
  }
  EXPECT_EQ(StrToIntDef("x", 10), 10);
  EXPECT_EQ(StrToIntDef("7", 10), 7);
}

TEST(SysUtils, FormatDirectives) {
  EXPECT_EQ(Format("List index out of bounds (%d)", -1), "List index out of bounds (-1)");
  EXPECT_EQ(Format("%s|%d|%u|%x|%%", std::string("a"), 12, 7u, 255), "a|12|7|FF|%");
  EXPECT_EQ(Format("%5d|%-5d|%.3d|%8.4x", 42, 42, 7, 0xAB), "   42|42   |007|    00AB");
  EXPECT_EQ(Format("%x", -1), "FFFFFFFF");
  EXPECT_EQ(Format("[%-4s][%4s][%.2s]", "ab", "ab", "abcdef"), "[ab  ][  ab][ab]");
  EXPECT_EQ(Format("%d", std::int64_t(-9000000000)), "-9000000000");
  EXPECT_EQ(Format("no directives"), "no directives");
  EXPECT_THROW(Format("%d", "text"), EConvertError);
  EXPECT_THROW(Format("%s", 3), EConvertError);
  EXPECT_THROW(Format("%d %d", 3), EConvertError);
  EXPECT_THROW(Format("50%"), EConvertError);
  EXPECT_EQ(IntToStr(-12), "-12");
  EXPECT_EQ(IntToHex(0x1F, 4), "001F");
  EXPECT_EQ(IntToHex(0x12345, 2), "12345");
}

TEST(SysUtils, TrimCaseAndComparison) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  x "), "x ");
  EXPECT_EQ(TrimRight("  x "), "  x");
  // Only ASCII letters change case; other 8-bit characters stay.
  EXPECT_EQ(UpperCase("abc\xe9z"), "ABC\xe9Z");
  EXPECT_EQ(LowerCase("ABC\xc9Z"), "abc\xc9z");
  EXPECT_EQ(CompareText("alice", "BOB") < 0, true);
  EXPECT_EQ(CompareText("Bob", "bob"), 0);
  EXPECT_LT(CompareText("bob", "bobby"), 0);
  // "_" sorts after letters when letters compare as upper case.
  EXPECT_LT(CompareText("a", "_"), 0);
  EXPECT_GT(CompareStr("a", "B"), 0);
  EXPECT_TRUE(SameText("Settings", "SETTINGS"));
}

TEST(SysUtils, FileNameParts) {
  EXPECT_EQ(ExtractFilePath("/opt/tamblin/Settings.ini"), "/opt/tamblin/");
  EXPECT_EQ(ExtractFileDir("/opt/tamblin/Settings.ini"), "/opt/tamblin");
  EXPECT_EQ(ExtractFileName("/opt/tamblin/Settings.ini"), "Settings.ini");
  EXPECT_EQ(ExtractFileExt("/opt/tamblin/Settings.ini"), ".ini");
  EXPECT_EQ(ExtractFileExt("/opt/v1.2/README"), "");
  EXPECT_EQ(ExtractFilePath("plain"), "");
  EXPECT_EQ(ChangeFileExt("/a/b.mp3", ".wav"), "/a/b.wav");
  EXPECT_EQ(ChangeFileExt("/a.d/b", ".wav"), "/a.d/b.wav");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
}

TEST(SysUtils, FilesAndTheProgramPath) {
  TTempDir dir;
  std::string f = dir.File("ring.wav");
  EXPECT_FALSE(FileExists(f));
  WriteBytes(f, "RIFF");
  EXPECT_TRUE(FileExists(f));
  EXPECT_FALSE(FileExists(dir.Path()));
  EXPECT_TRUE(DirectoryExists(dir.Path()));
  EXPECT_TRUE(DeleteFile(f));
  EXPECT_FALSE(DeleteFile(f));

  std::string exe = ParamStr(0);
  EXPECT_TRUE(FileExists(exe));
  EXPECT_EQ(ExtractFileName(exe), "platform_base_tests");
  EXPECT_EQ(ExecutableDir(), ExtractFilePath(exe));
  EXPECT_EQ(ExecutableDir().back(), '/');
}
