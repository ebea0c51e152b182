// The module instance handle that resources are loaded from.
#include "platform/Platform.h"

#if defined(_WIN32)
// The linker's name for the start of the image this code is linked into: the DLL, or a test
// program carrying the same resources.
extern "C" IMAGE_DOS_HEADER __ImageBase;
#endif

namespace qev::platform
{
namespace
{

#if defined(_WIN32)
HINSTANCE recorded = reinterpret_cast<HINSTANCE>(&__ImageBase);
#else
// Stands for this module until the load hook records the real handle.
char thisModule;
HINSTANCE recorded = reinterpret_cast<HINSTANCE>(&thisModule);
#endif

} // namespace

HINSTANCE moduleInstance()
{
    return recorded;
}

void setModuleInstance(HINSTANCE instance)
{
    recorded = instance;
}

} // namespace qev::platform
