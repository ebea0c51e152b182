// The module instance handle that resources are loaded from.
#include "platform/Platform.h"

namespace qev::platform
{
namespace
{

// Stands for this module until the load hook records the real handle.
char thisModule;
HINSTANCE recorded = reinterpret_cast<HINSTANCE>(&thisModule);

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
