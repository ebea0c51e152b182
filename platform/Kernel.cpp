// The kernel services the toolkit asks for: the blit library looked up by name, the system
// version, and time.
#include "platform/Win32.h"

#include <chrono>
#include <cstring>
#include <strings.h>
#include <thread>

namespace
{

// Stands for the loaded "msimg32.dll": its entries are this layer's own blits.
struct BlitLibrary
{
    int loads = 0;
};

BlitLibrary& blitLibrary()
{
    static BlitLibrary library;
    return library;
}

HMODULE blitLibraryHandle()
{
    return reinterpret_cast<HMODULE>(&blitLibrary());
}

} // namespace

HMODULE LoadLibraryA(LPCSTR name)
{
    if (!name || strcasecmp(name, "msimg32.dll") != 0)
        return nullptr;
    ++blitLibrary().loads;
    return blitLibraryHandle();
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    if (module != blitLibraryHandle() || blitLibrary().loads == 0 || !name)
        return nullptr;
    if (std::strcmp(name, "AlphaBlend") == 0)
        return reinterpret_cast<FARPROC>(&AlphaBlend);
    if (std::strcmp(name, "TransparentBlt") == 0)
        return reinterpret_cast<FARPROC>(&TransparentBlt);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module)
{
    if (module != blitLibraryHandle() || blitLibrary().loads == 0)
        return FALSE;
    --blitLibrary().loads;
    return TRUE;
}

BOOL GetVersionExA(LPOSVERSIONINFOA info)
{
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA)))
        return FALSE;
    const DWORD size = info->dwOSVersionInfoSize;
    std::memset(reinterpret_cast<char*>(info) + sizeof(DWORD), 0, size - sizeof(DWORD));
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 2;
    info->dwBuildNumber = 9200;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    return TRUE;
}

DWORD GetTickCount(void)
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(ms);
}

void Sleep(DWORD milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace
{
thread_local DWORD lastError = 0;
} // namespace

DWORD GetLastError(void)
{
    return lastError;
}

void SetLastError(DWORD error)
{
    lastError = error;
}
