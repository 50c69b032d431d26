#include "app/ControlMessage.h"

namespace {
constexpr std::size_t kCallerIDOffset = 8;  // length of "Calling|"
}

TControlMessage ClassifyControlText(const std::string& S) {
  TControlMessage message;
  message.Text = S;
  if (S.find('|') != std::string::npos) {
    message.Kind = TControlKind::ckCallRequest;
    if (S.size() > kCallerIDOffset) message.CallerID = S.substr(kCallerIDOffset);
  } else if (S == "Calling") {
    message.Kind = TControlKind::ckCallRequest;
  } else if (S == CallAcceptText) {
    message.Kind = TControlKind::ckCallAccept;
  } else if (S == "Message") {
    message.Kind = TControlKind::ckIgnored;
  } else {
    message.Kind = TControlKind::ckCallReply;
  }
  return message;
}

std::string CallRequestText(const std::string& CallerID) { return CallRequestPrefix + CallerID; }
