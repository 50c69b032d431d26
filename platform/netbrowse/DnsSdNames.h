#pragma once
// From what DNS-SD announces (service instances on hosts, in UTF-8) to the
// computers of the neighbourhood as the program lists them (8-bit text, one
// per host, with a name that resolves). Internal to this folder.
#include <string>
#include <vector>

// Latin1 := Utf8 converted to 8-bit text; false when Utf8 is not well-formed
// UTF-8 or holds a character beyond Latin-1.
bool Utf8ToLatin1(const std::string& Utf8, std::string& Latin1);

// Whether an 8-bit Name can be shown and stored as a contact's name or
// address: not empty, and free of control characters and of the characters
// that frame addresses and paths in the program ("<", ">", "\\"). Announced
// names are anyone's text; a line break in one would add lines to the
// contact file.
bool IsUsableName(const std::string& Name);

// The computer a workstation announcement stands for: it appends " [" and
// the hardware address to the host name; that part goes.
std::string ComputerNameOfService(const std::string& ServiceName);

// One resolved service instance, as the daemon reports it (UTF-8).
struct TFoundService {
  std::string Type;      // "_smb._tcp"
  std::string Name;      // the instance name, "Bob's MacBook Pro"
  std::string HostName;  // "bobs-mbp.local"
  std::string Address;   // the host's IPv4 address, dotted; empty: none found
};

// One computer of the neighbourhood, in 8-bit text.
struct TNeighbour {
  std::string ComputerName;  // the host name without ".local": it resolves by multicast DNS
  std::string Comment;       // the most descriptive name announced for it
};

// The computers behind Services, one per host (compared without regard to
// case), in the order first seen. A host without an IPv4 address, or whose
// name cannot be converted or is not usable, is left out. The comment is the
// usable instance name of the most descriptive type announced (device
// information, file sharing, then workstation, then any other service), else
// the computer name.
std::vector<TNeighbour> NeighboursOf(const std::vector<TFoundService>& Services);
