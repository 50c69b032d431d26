#pragma once
// Host names and IPv4 addresses: the local host's name, the addresses a name
// resolves to, and the dotted text of an address.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The local machine's host name; empty when the host cannot tell.
std::string LocalHostName();

// Every IPv4 address of HostName as dotted text, as a computer on a LAN
// finds them:
// - numeric text in any form the host's address parser knows ("127.1",
//   "0x7f.0.0.1") is its one address in canonical dotted form;
// - a name goes to the system's resolver (hosts file, then DNS), whose order
//   is kept;
// - this computer's own name, where the resolver gives only loopback
//   addresses (as the hosts file of many installations maps it), yields the
//   network adapters' addresses instead (InterfaceAddresses.h): tunnels
//   first, ordinary adapters last, loopback only when there is no other;
// - a name the resolver does not know is asked on the LAN by multicast DNS
//   (MulticastLookup.h): a bare name as "name.local", for about 2 s at most.
// Empty when the name does not resolve. A name is looked up on a thread of
// its own: on the user-interface thread pending messages go on being
// processed meanwhile (PumpingWait.h).
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

// Test seam: replaces the name services behind LookupHostAddresses, the
// system's resolver (numeric names included) and the multicast look-up,
// which asks it for "name.local"; an empty function restores them.
using THostResolver = std::function<std::vector<std::string>(const std::string& HostName)>;
void SetHostResolver(THostResolver Resolver);
