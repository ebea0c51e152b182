// Replaced by the frame's own definitions when the frame arrives: no CFrame exists yet, so no
// context can be made with one, and these are only reached with a null frame.
#include "toolkit/FrameAccess.h"

namespace toolkit
{

CRect frameViewSize(const CFrame*)
{
    return CRect(0, 0, 1000, 1000);
}

HWND frameWindow(const CFrame*)
{
    return nullptr;
}

} // namespace toolkit
