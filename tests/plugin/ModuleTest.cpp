// The built module as a file: what it exports and what it leaves for the loader to resolve.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace
{

// Weak references are left out with `strongOnly`: the loader resolves them to nothing when no
// library defines them (such as the transactional-memory clones the static C++ runtime names).
std::set<std::string> symbols(const std::string& nmOptions, bool strongOnly = false)
{
    std::set<std::string> names;
    const std::string command = "nm -D " + nmOptions + " '" QEV_MODULE_PATH "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe))
    {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        const size_t space = text.rfind(' ');
        const bool weak = space != std::string::npos && space >= 1 &&
                          (text[space - 1] == 'w' || text[space - 1] == 'v');
        if (strongOnly && weak)
            continue;
        names.insert(space == std::string::npos ? text : text.substr(space + 1));
    }
    pclose(pipe);
    return names;
}

bool isSanitizerSymbol(const std::string& name)
{
    return name.rfind("__asan", 0) == 0 || name.rfind("__ubsan", 0) == 0 ||
           name.rfind("__sanitizer", 0) == 0 || name.rfind("__lsan", 0) == 0;
}

TEST(Module, ExportsExactlyItsEntryUnderTwoNames)
{
    std::set<std::string> exported;
    for (const std::string& name : symbols("--defined-only"))
        if (!isSanitizerSymbol(name))
            exported.insert(name);
    EXPECT_EQ(exported, (std::set<std::string>{"VSTPluginMain", "main"}));
}

// The sanitizer runtimes supply the allocation operators to the module they instrument.
bool isProvidedBySanitizer(const std::string& name)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return name.rfind("_Znw", 0) == 0 || name.rfind("_Zna", 0) == 0 || name.rfind("_Zdl", 0) == 0 ||
           name.rfind("_Zda", 0) == 0;
#else
    (void)name;
    return false;
#endif
}

TEST(Module, NeedsNoCppRuntimeFromTheHost)
{
    const std::set<std::string> undefined = symbols("--undefined-only", true);
    ASSERT_FALSE(undefined.empty()); // it does need the C library
    for (const std::string& name : undefined)
    {
        if (isProvidedBySanitizer(name))
            continue;
        EXPECT_NE(name.rfind("_Z", 0), 0u) << name;                 // C++ symbols
        EXPECT_EQ(name.find("GLIBCXX"), std::string::npos) << name; // libstdc++ versions
        EXPECT_EQ(name.find("CXXABI"), std::string::npos) << name;
        EXPECT_EQ(name.find("GCC_"), std::string::npos) << name; // libgcc_s versions
    }
}

} // namespace
