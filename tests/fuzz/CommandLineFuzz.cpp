// qev-render's command line: any arguments (one per line of the input). The parser answers
// options or a usage error; numbers it takes are finite; names are looked up in the plug-in's
// programs and parameters, which either finds one or says why not.

#include "tests/fuzz/FuzzSupport.h"

#include "tools/render/CommandLine.h"
#include "tools/render/Error.h"
#include "tools/render/Numbers.h"
#include "tools/render/PluginHost.h"
#include "tools/render/PluginState.h"

#include <memory>
#include <string>

using namespace qev::fuzz;
using namespace qev::render;

namespace
{

std::vector<std::string> argumentsOf(const std::uint8_t* data, size_t size)
{
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == '\n')
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    return args;
}

void checkNumbers(const std::string& text)
{
    int index = -1;
    if (parseIndex(text, index) && (index < 0 || std::to_string(index).size() > text.size()))
        fail("parseIndex", index);
    float f = 0.0f;
    if (parseFloat(text, f) && !std::isfinite(f))
        fail("parseFloat", f);
    double d = 0.0;
    if (parseDouble(text, d) && !std::isfinite(d))
        fail("parseDouble", d);
}

PluginHost& host()
{
    static PluginHost instance(std::make_shared<const PluginModule>(QEV_MODULE_PATH));
    return instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::vector<std::string> args = argumentsOf(data, size);
    try
    {
        parseCommandLine(args);
    }
    catch (const UsageError&)
    {
    }
    for (const std::string& arg : args)
    {
        checkNumbers(arg);
        // One instance serves every input: a program or parameter it takes only changes
        // which values later lookups start from.
        try
        {
            selectProgram(host(), arg);
        }
        catch (const Error&)
        {
        }
        try
        {
            applyParam(host(), arg);
        }
        catch (const Error&)
        {
        }
    }
    return 0;
}
