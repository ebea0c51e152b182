#pragma once

namespace qev
{

// The handle of the module this code is linked into, recorded when the module is loaded: the
// editor finds its bitmaps and names its window class with it. On Linux it is the module's
// load address; null only if the loader could not tell.
void* moduleHandle();

} // namespace qev
