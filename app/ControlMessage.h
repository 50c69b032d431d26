#pragma once
// The call control channel's messages: plain 8-bit text, one message a
// datagram, no header or terminator.
//
//   "Calling|" + caller ID   a call request
//   "Accept"                 the callee answered
//   anything else            a reply text (the callee's reply message)
#include <string>

inline constexpr const char* CallRequestPrefix = "Calling|";
inline constexpr const char* CallAcceptText = "Accept";

enum class TControlKind {
  ckCallRequest,  // ring a free slot (CallerID set)
  ckCallAccept,   // the callee answered
  ckIgnored,      // "Message": nothing to do
  ckCallReply,    // a reply text (Text)
};

struct TControlMessage {
  TControlKind Kind = TControlKind::ckIgnored;
  std::string CallerID;  // call requests only
  std::string Text;      // the whole text
};

// Classifies a received text, in this order: a text with "|" anywhere is a
// request whose caller ID is the text from its ninth character on (the first
// eight are skipped whatever they are); "Calling" alone is a request with an
// empty caller ID; "Accept" accepts; "Message" is ignored; any other text,
// the empty one included, is a reply.
TControlMessage ClassifyControlText(const std::string& S);

// The text of a call request with this caller ID.
std::string CallRequestText(const std::string& CallerID);
