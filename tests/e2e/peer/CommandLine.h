#pragma once
// The scripted peer's line protocol. A command is one line of words; a word
// with blanks is written in double quotes, where \" and \\ stand for a quote
// and a backslash. Every command is answered with one line: "ok", "ok " and
// a JSON value, or "error " and a JSON string. Texts of the program are 8-bit;
// JSON strings carry each byte above 127 as \u00XX (Latin-1), so the harness
// sees the bytes the program holds.
#include <optional>
#include <string>
#include <vector>

// The words of Line; nullopt when a quote is left open.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& Line);

// A JSON string literal of the 8-bit text S.
std::string JsonString(const std::string& S);
// A JSON array of string literals.
std::string JsonStringArray(const std::vector<std::string>& Items);

std::string AnswerOk();
std::string AnswerOk(const std::string& JsonValue);
std::string AnswerError(const std::string& Message);
