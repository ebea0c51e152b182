// The module instance handle that resources are loaded from.
#include "platform/Platform.h"

#include <atomic>

#if defined(_WIN32)
// The linker's name for the start of the image this code is linked into: the DLL, or a test
// program carrying the same resources.
extern "C" IMAGE_DOS_HEADER __ImageBase;
#endif

namespace qev::platform
{
namespace
{

// Written by the load hook on whichever thread loads the module, read by every thread that
// makes an instance (a batch renderer loads and instantiates on several at once).
#if defined(_WIN32)
std::atomic<HINSTANCE> recorded{reinterpret_cast<HINSTANCE>(&__ImageBase)};
#else
// Stands for this module until the load hook records the real handle.
char thisModule;
std::atomic<HINSTANCE> recorded{reinterpret_cast<HINSTANCE>(&thisModule)};
#endif

} // namespace

HINSTANCE moduleInstance()
{
    return recorded.load(std::memory_order_acquire);
}

void setModuleInstance(HINSTANCE instance)
{
    recorded.store(instance, std::memory_order_release);
}

} // namespace qev::platform
