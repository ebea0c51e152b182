#include "plugin/ModuleHandle.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>

// Part of the C++ runtime linked into the module: frees what the runtime allocated for itself.
namespace __gnu_cxx
{
void __freeres() noexcept;
}
#endif

namespace qev
{
namespace
{

void* recordedModule = nullptr;

#if defined(_WIN32)
// The load hook: the loader passes the instance handle on attach.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        recordedModule = instance;
    return TRUE;
}
#else
// The load hook. A constructor function registers no exit handler, so unloading runs nothing.
__attribute__((constructor)) void recordModuleAtLoad()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&recordModuleAtLoad), &info) != 0)
        recordedModule = info.dli_fbase;
}

// The unload hook. The module carries its own copy of the C++ runtime, whose emergency
// exception pool (about 70 KB) would otherwise leak on every unload, since hosts load and
// unload plug-ins many times while they keep running.
__attribute__((destructor)) void releaseRuntimeAtUnload() { __gnu_cxx::__freeres(); }
#endif

} // namespace

void* moduleHandle()
{
    return recordedModule;
}

} // namespace qev
