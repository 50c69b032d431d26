#pragma once
// Files beside the test program, as the dialogs find them beside the
// executable.
#include <string>

std::string FileBeside(const std::string& Name);
std::string ReadWholeFile(const std::string& Path);
void WriteWholeFile(const std::string& Path, const std::string& Bytes);
// Removes a file or an (empty) directory of that name.
void RemoveBeside(const std::string& Name);
