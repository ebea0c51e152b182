// A plug-in module loaded the way a host loads it: dlopen on Linux, LoadLibrary on Windows. Test
// and host code only; the plug-in itself never loads modules.
#pragma once

#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace qev::test
{

class LoadedModule
{
public:
    explicit LoadedModule(const char* path)
    {
#if defined(_WIN32)
        handle = LoadLibraryA(path);
        if (!handle)
            failure = "LoadLibrary failed with error " + std::to_string(GetLastError());
#else
        handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            failure = dlerror();
#endif
    }
    ~LoadedModule()
    {
#if defined(_WIN32)
        if (handle)
            FreeLibrary(handle);
#else
        if (handle)
            dlclose(handle);
#endif
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool loaded() const
    {
        return handle != nullptr;
    }
    // Why loading failed; empty when it did not.
    const std::string& error() const
    {
        return failure;
    }

    // The exported function of that name as the type the caller names; null when absent.
    template <typename Function> Function entry(const char* name) const
    {
        if (!handle)
            return nullptr;
#if defined(_WIN32)
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
#else
        return reinterpret_cast<Function>(dlsym(handle, name));
#endif
    }

#if defined(_WIN32)
    HMODULE handle = nullptr;
#else
    void* handle = nullptr;
#endif

private:
    std::string failure;
};

} // namespace qev::test
