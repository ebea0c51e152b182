#include "toolkit/DrawingFacilities.h"
#include "platform/Platform.h"

#include <cstring>

namespace toolkit
{

DrawingFacilities& drawingFacilities()
{
    static DrawingFacilities facilities;
    return facilities;
}

void loadDrawingFacilities()
{
    DrawingFacilities& f = drawingFacilities();
    f.alphaBlend = nullptr;
    f.transparentBlt = nullptr;
    f.library = LoadLibraryA("msimg32.dll");
    if (!f.library)
        return;
    f.alphaBlend = qev::platform::procAddress<AlphaBlendProc>(f.library, "AlphaBlend");
    std::memset(&f.version, 0, sizeof f.version);
    f.version.dwOSVersionInfoSize = sizeof f.version;
    if (GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&f.version)) &&
        f.version.dwPlatformId > VER_PLATFORM_WIN32_WINDOWS)
        f.transparentBlt =
            qev::platform::procAddress<TransparentBltProc>(f.library, "TransparentBlt");
}

void freeDrawingFacilities()
{
    DrawingFacilities& f = drawingFacilities();
    if (f.library)
        FreeLibrary(f.library);
    f.library = nullptr;
}

bool isWindows98(const OSVERSIONINFOEXA& v)
{
    return v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && v.dwMajorVersion == 4 &&
           v.dwMinorVersion == 10;
}

} // namespace toolkit
