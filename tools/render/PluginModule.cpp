#include "tools/render/PluginModule.h"

#include "tools/render/Error.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

namespace qev::render
{

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
        throw Error(file + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
    }
    entry = reinterpret_cast<Entry>(symbol);
}

PluginModule::~PluginModule()
{
    dlclose(handle);
}

AEffect* PluginModule::createEffect(audioMasterCallback callback) const
{
    return entry(callback);
}

} // namespace qev::render
