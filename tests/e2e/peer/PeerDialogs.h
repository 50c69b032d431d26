#pragma once
// The scripted peer's reach beyond the main window: controls of the other
// windows are named "form.control" ("frmIP.btnOnline"), a window by its own
// name ("frmExport"). Buttons that open a modal window are clicked with
// click-later, so that the command is answered while the window is up and
// the next commands run inside its message loop.
//
//   click-later NAME      the click is queued; answered at once
//   items NAME            a list box's items (JSON array)
//   select NAME TEXT      selects the list item equal to TEXT, as a user's click on it
//   showing NAME          1 when the control or window is on screen, else 0
#include <string>
#include <vector>

class TComponent;
class TCustomForm;

// The control or window of that name: the main window's controls first,
// then the application's windows and their controls; nullptr when none.
TComponent* FindNamed(TCustomForm* MainForm, const std::string& Name);

// Runs one of the verbs above; false when Words is none of them.
bool ExecuteDialogCommand(TCustomForm* MainForm, const std::vector<std::string>& Words, std::string& Answer);
