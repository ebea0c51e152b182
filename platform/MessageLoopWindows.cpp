// The editor's share of the message loop on Windows: none. The host's own loop dispatches our
// windows' messages, and TrackPopupMenu keeps the host's timers and painting going itself.
#include "platform/Platform.h"

namespace qev::platform
{

void pumpMessages() {}

bool setPopupIdleHook(HWND, PopupIdleHook, void*)
{
    return false;
}

} // namespace qev::platform
