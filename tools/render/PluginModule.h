#pragma once

#include "plugin/VstInterface.h"

#include <string>

namespace qev::render
{

// A loaded plug-in module: the shared library and its VST 2.4 entry. Any number of instances
// (PluginHost) may be created from one module, on any thread; the module stays loaded until
// the last PluginModule of its file and the last instance are gone.
class PluginModule
{
public:
    // Loads the module; a missing file, one that is not a loadable library or one without the
    // entry (VSTPluginMain, or main) throws Error.
    explicit PluginModule(const std::string& path);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // The QEV-Phaser.so built beside the running executable, found through /proc/self/exe
    // so that the working directory does not matter.
    static std::string defaultPath();

    const std::string& path() const { return file; }

    // Calls the entry, as a host creates an instance; answers its record (null if it gave none).
    AEffect* createEffect(audioMasterCallback callback) const;

private:
    using Entry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

    std::string file;
    void* handle = nullptr;
    Entry entry = nullptr;
};

} // namespace qev::render
