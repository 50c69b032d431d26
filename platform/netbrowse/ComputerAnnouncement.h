#pragma once
// This computer in the LAN's neighbourhood. While the announcement lives and
// an avahi daemon runs, the computer is announced on DNS-SD as a workstation
// under its host name, so other computers browsing the neighbourhood list it
// even where the daemon is set not to announce workstations itself. It
// follows the daemon (announced again when the daemon comes back) and goes
// when the announcement is freed. A name conflict is left to the daemon.
// Nothing here blocks: the conversation with the daemon runs on a thread of
// its own, and freeing the announcement waits for that thread only briefly,
// so a system bus that never answers cannot hold up the program's exit.
#include <memory>

#include "platform/base/Component.h"

class TComputerAnnouncement : public TComponent {
 public:
  explicit TComputerAnnouncement(TComponent* AOwner);
  ~TComputerAnnouncement() override;

  // The daemon has the announcement on the network now.
  bool Established() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
