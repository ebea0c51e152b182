// A small Windows host: loads a plug-in module with LoadLibrary, renders every cross-system case
// through it and writes the output for the comparison with the Linux module.
//
//     dll_render <module.dll> <output file>
//
// Exit code 0 when every case was rendered and written, 1 otherwise, with the reason on stderr.

#include "tests/plugin/RenderCases.h"
#include "tests/support/LoadedModule.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: dll_render <module.dll> <output file>\n");
        return 1;
    }
    const qev::test::LoadedModule module(argv[1]);
    const auto entry = module.entry<qev::test::PluginEntry>("VSTPluginMain");
    if (!entry)
    {
        std::fprintf(stderr, "dll_render: %s has no entry: %s\n", argv[1], module.error().c_str());
        return 1;
    }
    if (!qev::test::writeRenders(argv[2], entry))
    {
        std::fprintf(stderr, "dll_render: rendering into %s failed\n", argv[2]);
        return 1;
    }
    std::printf("dll_render: %zu cases, %zu floats written to %s\n",
                qev::test::renderCases().size(), qev::test::renderedFloatCount(), argv[2]);
    return 0;
}
