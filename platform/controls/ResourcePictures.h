#pragma once
// Icons and cursors from the program's resources, which are the files
// embedded into its executable (platform/layout/Resources.h): the icon
// resource NAME is the embedded file "NAME.ico", the cursor resource NAME the
// file "NAME.cur". The program is the only module there is; HInstance names it.
#include <string>

#include "platform/graphics/Icon.h"

using HINSTANCE = unsigned long;
inline constexpr HINSTANCE HInstance = 1;

// The icon of that name in the module's resources; null when the module has
// none of that name or it cannot be read as an icon file.
HICON LoadIcon(HINSTANCE Instance, const std::string& Name);
// The same for a cursor.
HCURSOR LoadCursor(HINSTANCE Instance, const std::string& Name);
