// The module's entry: the only function it exports, under two names.

#include "plugin/QevVst.h"

#include <new>

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return new (std::nothrow) QevVst(audioMaster);
}

extern "C"
{

#define QEV_EXPORT __attribute__((visibility("default")))

    // Asks the host for its interface version first; a host answering 0 gets no plug-in. If
    // building the plug-in fails part-way, what was built is released and the answer is null.
    QEV_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster)
    {
        if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
            return nullptr;
        AudioEffect* effect = nullptr;
        try
        {
            effect = createEffectInstance(audioMaster);
        }
        catch (...) // allocation failure inside the constructor; its members are already released
        {
            return nullptr;
        }
        return effect ? effect->getAeffect() : nullptr;
    }

    // The same entry under the name older hosts look for.
    QEV_EXPORT AEffect* VSTCALLBACK vstMainAlias(audioMasterCallback audioMaster) __asm__("main")
        __attribute__((alias("VSTPluginMain")));

} // extern "C"
