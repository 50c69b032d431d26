#pragma once
// Host names and IPv4 addresses: the local host's name, the addresses a name
// resolves to, and the dotted text of an address.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The local machine's host name; empty when the host cannot tell.
std::string LocalHostName();

// Every IPv4 address of HostName as dotted text, in the order the resolver
// gives them (hosts file, then DNS); empty when the name does not resolve.
// Numeric text in any form the host's address parser knows ("127.1",
// "0x7f.0.0.1") resolves to its one address in canonical dotted form.
std::vector<std::string> LookupHostAddresses(const std::string& HostName);

// True when Text is an IPv4 address written the one way the host writes
// addresses: four decimal numbers 0 to 255 joined by dots, no leading zeros,
// signs or blanks ("10.0.0.7"). Peers are matched by comparing such texts with
// the source address of datagrams, so only this form can be used unchanged;
// any other numeric form goes through LookupHostAddresses, which turns it into
// this one.
bool IsDottedAddress(const std::string& Text);

// Parses a text for which IsDottedAddress holds; Address is in network order.
bool ParseDottedAddress(const std::string& Text, std::uint32_t& Address);

// The dotted text of an address in network order ("192.168.0.1").
std::string AddressToText(std::uint32_t Address);

// Test seam: replaces the system's name look-up behind LookupHostAddresses
// (numeric names included); an empty function restores it.
using THostResolver = std::function<std::vector<std::string>(const std::string& HostName)>;
void SetHostResolver(THostResolver Resolver);
