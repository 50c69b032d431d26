#pragma once
// Input that reaches the peer the way a user's does: queued by the window
// system and handled by whichever message processing takes it next, so a
// click can land in the middle of the program's own work, as a real one can.
// Each is answered as soon as it is queued, before it is handled.
//
//   user-click NAME            the mouse clicks the control's centre
//   user-double-click NAME     two clicks in a row there
//   user-type TEXT             the keys of TEXT, to wherever the focus is
//   user-click-in-frame NAME   the click arrives while the next preview
//                              frame is being handled (the moment a plain
//                              click hits only now and then)
#include <string>
#include <vector>

class TCustomForm;

// Runs one of the verbs above; false when Words is none of them.
bool ExecuteUserInputCommand(TCustomForm* MainForm, const std::vector<std::string>& Words,
                             std::string& Answer);
