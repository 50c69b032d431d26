#include <gtest/gtest.h>

#include <cstring>

#include "TempDir.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"

TEST(MemoryStream, ReadGivesWhatIsLeftAndReadBufferRaisesOnAShortRead) {
  TMemoryStream s;
  s.WriteBuffer("abcdef", 6);
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(s.Position(), 6);
  s.SetPosition(4);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(s.Read(buf, 8), 0);
  s.SetPosition(3);
  try {
    s.ReadBuffer(buf, 4);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  s.SetPosition(2);
  s.ReadBuffer(buf, 4);
  EXPECT_EQ(std::string(buf, 4), "cdef");
}

TEST(MemoryStream, SeekOriginsAndWritingPastTheEndFillsTheGapWithZeros) {
  TMemoryStream s;
  s.WriteBuffer("xy", 2);
  EXPECT_EQ(s.Seek(-1, soFromEnd), 1);
  EXPECT_EQ(s.Seek(3, soFromCurrent), 4);
  EXPECT_EQ(s.Seek(-100, soFromCurrent), 0);  // never before the start
  s.Seek(5, soFromBeginning);
  s.WriteBuffer("z", 1);
  ASSERT_EQ(s.Size(), 6);
  const char* m = static_cast<const char*>(s.Memory());
  EXPECT_EQ(std::string(m, 6), std::string("xy\0\0\0z", 6));
}

TEST(MemoryStream, SetSizeKeepsDataZeroesGrowthAndClampsThePosition) {
  TMemoryStream s;
  s.WriteBuffer("hello", 5);
  s.SetSize(3);
  EXPECT_EQ(s.Position(), 3);
  s.SetSize(6);
  EXPECT_EQ(std::memcmp(s.Memory(), "hel\0\0\0", 6), 0);
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Memory(), nullptr);
}

TEST(MemoryStream, CopyFromCountZeroCopiesTheWholeSource) {
  TMemoryStream a, b;
  a.WriteBuffer("0123456789", 10);
  a.SetPosition(7);
  EXPECT_EQ(b.CopyFrom(&a, 0), 10);
  EXPECT_EQ(std::string(static_cast<char*>(b.Memory()), 10), "0123456789");
  a.SetPosition(2);
  TMemoryStream c;
  EXPECT_EQ(c.CopyFrom(&a, 3), 3);
  EXPECT_EQ(std::string(static_cast<char*>(c.Memory()), 3), "234");
  a.SetPosition(8);
  EXPECT_THROW(c.CopyFrom(&a, 5), EReadError);
}

TEST(FileStream, CreateWriteReopenAndRead) {
  TTempDir dir;
  std::string path = dir.File("data.bin");
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("abc\0def", 7);
  }
  TFileStream f(path, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(f.Size(), 7);
  char buf[7];
  f.ReadBuffer(buf, 7);
  EXPECT_EQ(std::string(buf, 7), std::string("abc\0def", 7));
  EXPECT_THROW(f.ReadBuffer(buf, 1), EReadError);
  EXPECT_EQ(f.Seek(-3, soFromEnd), 4);
}

TEST(FileStream, OpenAndCreateFailuresCarryTheFileName) {
  TTempDir dir;
  std::string missing = dir.File("missing.dat");
  try {
    TFileStream f(missing, fmOpenRead);
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + missing);
  }
  std::string bad = dir.File("no/such/dir.dat");
  try {
    TFileStream f(bad, fmCreate);
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + bad);
  }
  // A directory is not a file to open.
  EXPECT_THROW(TFileStream(dir.Path(), fmOpenRead), EFOpenError);
}

TEST(FileStream, OpenWriteKeepsTheRestOfTheFile) {
  TTempDir dir;
  std::string path = dir.File("f.txt");
  WriteBytes(path, "ABCDEFG");
  {
    TFileStream f(path, fmOpenWrite | fmShareExclusive);
    f.SetPosition(2);
    f.WriteBuffer("xy", 2);
  }
  EXPECT_EQ(ReadBytes(path), "ABxyEFG");
}

TEST(MemoryStream, FileRoundTripAndLoadingResetsThePosition) {
  TTempDir dir;
  TMemoryStream s;
  s.WriteBuffer("payload", 7);
  s.SaveToFile(dir.File("p.bin"));
  TMemoryStream t;
  t.WriteBuffer("old old old", 11);
  t.LoadFromFile(dir.File("p.bin"));
  EXPECT_EQ(t.Size(), 7);
  EXPECT_EQ(t.Position(), 0);
  EXPECT_EQ(std::string(static_cast<char*>(t.Memory()), 7), "payload");
  EXPECT_THROW(t.LoadFromFile(dir.File("none")), EFOpenError);
}
