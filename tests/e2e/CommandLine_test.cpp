// The scripted peer's line protocol: what the harness writes must arrive as
// the words it meant, and every answer must be one line of valid JSON.
#include "CommandLine.h"

#include <gtest/gtest.h>

using Words = std::vector<std::string>;

TEST(SplitCommandLine, WordsQuotesAndEscapes) {
  EXPECT_EQ(SplitCommandLine("click btnCall1"), (Words{"click", "btnCall1"}));
  EXPECT_EQ(SplitCommandLine("  type   edt1\t10.77.0.2 \r"), (Words{"type", "edt1", "10.77.0.2"}));
  EXPECT_EQ(SplitCommandLine("wait-label lbl1 \"Alice calling...\" 5000"),
            (Words{"wait-label", "lbl1", "Alice calling...", "5000"}));
  EXPECT_EQ(SplitCommandLine(R"(type edtMessage "say \"hi\" \\ now")"),
            (Words{"type", "edtMessage", R"(say "hi" \ now)"}));
  // An empty quoted word is a word; a backslash before anything else stays.
  EXPECT_EQ(SplitCommandLine(R"(type edt1 "" "a\b")"), (Words{"type", "edt1", "", R"(a\b)"}));
  EXPECT_EQ(SplitCommandLine("   "), Words{});
}

TEST(SplitCommandLine, UnclosedQuoteIsRefused) {
  EXPECT_FALSE(SplitCommandLine("type edt1 \"open").has_value());
  EXPECT_FALSE(SplitCommandLine(R"(type edt1 "ends in escape\")").has_value());
}

TEST(JsonAnswers, StringsStayOneLineAndKeepEveryByte) {
  EXPECT_EQ(JsonString("Bob <2> hi"), "\"Bob <2> hi\"");
  EXPECT_EQ(JsonString("a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(JsonString("line\nbreak\ttab\r"), R"("line\nbreak\ttab\r")");
  EXPECT_EQ(JsonString(std::string("nul\0x", 5)), R"("nul\u0000x")");
  // 8-bit text: each byte above 127 as the Latin-1 code point.
  EXPECT_EQ(JsonString("caf\xE9\x7F"), R"("caf\u00e9\u007f")");
  EXPECT_EQ(JsonStringArray({}), "[]");
  EXPECT_EQ(JsonStringArray({"x", "y z"}), R"(["x","y z"])");
}

TEST(JsonAnswers, AnswerLines) {
  EXPECT_EQ(AnswerOk(), "ok");
  EXPECT_EQ(AnswerOk("3"), "ok 3");
  EXPECT_EQ(AnswerError("no control named x\n"), R"(error "no control named x\n")");
}
