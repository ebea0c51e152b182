// The Windows module against this system's module, bit for bit: the file named by QEV_DLL_RENDER
// holds what the DLL rendered under Wine (dll_render); each case is rendered again here through
// the module built from the same sources and must give the same floats, bit for bit.

#include "tests/plugin/RenderCases.h"
#include "tests/support/LoadedModule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace
{

using qev::test::RenderCase;

const std::vector<float>& dllRenders()
{
    static const std::vector<float> floats = []
    {
        const char* path = std::getenv("QEV_DLL_RENDER");
        return path ? qev::test::readRenders(path) : std::vector<float>{};
    }();
    return floats;
}

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class CrossSystem : public ::testing::TestWithParam<size_t>
{
};

TEST_P(CrossSystem, LinuxModuleMatchesTheDllBitForBit)
{
    const std::vector<float>& dll = dllRenders();
    ASSERT_FALSE(dll.empty()) << "QEV_DLL_RENDER names no complete render of these cases";
    const qev::test::LoadedModule module(QEV_MODULE_PATH);
    const auto entry = module.entry<qev::test::PluginEntry>("VSTPluginMain");
    ASSERT_NE(entry, nullptr) << module.error();

    size_t offset = 0;
    for (size_t i = 0; i < GetParam(); ++i)
        offset += 2 * static_cast<size_t>(qev::test::renderCases()[i].frames);
    const RenderCase& c = qev::test::renderCases()[GetParam()];
    const std::vector<float> here = qev::test::renderCase(entry, c);
    ASSERT_EQ(here.size(), 2 * static_cast<size_t>(c.frames)) << c.name;

    size_t differing = 0, first = 0;
    for (size_t i = 0; i < here.size(); ++i)
        if (bitsOf(here[i]) != bitsOf(dll[offset + i]) && differing++ == 0)
            first = i;
    EXPECT_EQ(differing, 0u) << c.name << ": first at frame " << first / 2
                             << (first % 2 ? " right" : " left") << ", Linux " << here[first]
                             << " (0x" << std::hex << bitsOf(here[first]) << "), Windows "
                             << dll[offset + first] << " (0x" << bitsOf(dll[offset + first]) << ")";
}

INSTANTIATE_TEST_SUITE_P(EveryCase, CrossSystem,
                         ::testing::Range<size_t>(0, qev::test::renderCases().size()));

} // namespace
