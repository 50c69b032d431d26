#pragma once
// Events are callables with the sender first; an empty function means "not assigned".
#include <functional>

class TObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;
