#pragma once
// The one failure of layout reading: a message naming the file, the line and
// the offending name, e.g. "frmMain.lay(12): unknown property 'Colr' of TSkPanel".
#include "platform/base/Exceptions.h"

TAMBLIN_EXCEPTION(ELayoutError, EReadError);
