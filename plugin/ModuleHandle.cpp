// The module's load and unload hooks.

#include "platform/Platform.h"

#if defined(_WIN32)

// The loader passes the instance handle on attach; bitmaps and the window class use it. Nothing
// else happens here: the loader lock is held. C linkage at namespace scope, so that the runtime's
// DLL start-up code finds it instead of its own empty default.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        qev::platform::setModuleInstance(instance);
    return TRUE;
}

#else

#include <dlfcn.h>

// Part of the C++ runtime linked into the module: frees what the runtime allocated for itself.
namespace __gnu_cxx
{
void __freeres() noexcept;
}

namespace qev
{
namespace
{

// On Linux the module's handle is its load address. A constructor function registers no exit
// handler, so unloading runs nothing of it.
__attribute__((constructor)) void recordModuleAtLoad()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&recordModuleAtLoad), &info) != 0 && info.dli_fbase)
        platform::setModuleInstance(static_cast<HINSTANCE>(info.dli_fbase));
}

// The module carries its own copy of the C++ runtime, whose emergency exception pool (about
// 70 KB) would otherwise leak on every unload, and hosts load and unload plug-ins many times
// while they keep running.
__attribute__((destructor)) void releaseRuntimeAtUnload()
{
    platform::releaseWindowSystemState();
    __gnu_cxx::__freeres();
}

} // namespace
} // namespace qev

#endif
