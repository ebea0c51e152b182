// What a drawing context needs to know of its frame. The frame's own code defines these; until it
// exists there is no frame, and contexts made without one use their defaults.
#pragma once

#include "platform/Win32.h"
#include "toolkit/CRect.h"

namespace toolkit
{

class CFrame;

// The frame's view size, the initial clip of a context made for it.
CRect frameViewSize(const CFrame* frame);
// The frame's window, whose device context an offscreen context is made compatible with.
HWND frameWindow(const CFrame* frame);

} // namespace toolkit
