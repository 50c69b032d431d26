#include "app/Parlink.h"

TParlink::TParlink(const std::string& IP, TPicture* Picture, Byte Slot)
    : FIP(IP), FPicture(Picture), FSlot(Slot), FInclude(1) {}
