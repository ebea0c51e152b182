#include "tools/render/PluginModule.h"

#include "tools/render/Error.h"

#include <dlfcn.h>
#include <unistd.h>

#include <mutex>
#include <vector>

namespace qev::render
{
namespace
{

// Batch workers load the same module at once. The system's loader already runs a module's
// initialisation before any other thread's load of it returns, but under a lock that
// ThreadSanitizer does not see; loading and unloading under one lock of our own makes that
// order visible to it, at no cost worth measuring next to a load.
std::mutex loaderLock;

} // namespace

std::string PluginModule::defaultPath()
{
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        throw Error("cannot find the running executable; use --plugin PATH");
    std::string exe(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t slash = exe.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : exe.substr(0, slash);
    return folder + "/QEV-Phaser.so";
}

PluginModule::PluginModule(const std::string& path) : file(path)
{
    if (access(file.c_str(), F_OK) != 0)
        throw Error("plug-in module not found: " + file);
    std::unique_lock<std::mutex> loading(loaderLock);
    handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
    {
        const char* why = dlerror();
        throw Error("cannot load plug-in module " + file + ": " + (why ? why : "unknown"));
    }
    void* symbol = dlsym(handle, "VSTPluginMain");
    if (!symbol)
        symbol = dlsym(handle, "main");
    if (!symbol)
    {
        dlclose(handle);
        loading.unlock();
        throw Error(file + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
    }
    entry = reinterpret_cast<Entry>(symbol);
}

PluginModule::~PluginModule()
{
    std::lock_guard<std::mutex> unloading(loaderLock);
    dlclose(handle);
}

AEffect* PluginModule::createEffect(audioMasterCallback callback) const
{
    return entry(callback);
}

} // namespace qev::render
