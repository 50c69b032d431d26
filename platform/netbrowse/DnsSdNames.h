#pragma once
// Computer names from DNS-SD service instance names. Internal to this folder.
#include <string>
#include <vector>

// The computer a service instance stands for: workstation announcements
// append " [" and the hardware address to the host name; that part goes.
std::string ComputerNameOfService(const std::string& ServiceName);

// Whether Name can be shown and stored as a contact's name: not empty, and
// free of control characters and of the characters that frame addresses
// and paths in the program ("<", ">", "\\"). Announced names are anyone's
// text; a line break in one would add lines to the contact file.
bool IsUsableComputerName(const std::string& Name);

// The usable computers of ServiceNames, each once (compared without regard
// to case), in the order first seen.
std::vector<std::string> ComputerNamesOf(const std::vector<std::string>& ServiceNames);
