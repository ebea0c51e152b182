// The path through the stages' lanes that the engine tests run on. QEV_LANE_PATH=sse or avx
// forces one (the suite is registered once per path); without it the engine takes the widest
// the processor supports. A path the processor lacks skips the whole run, saying so.

#include "engine/PhaserStages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{

class LanePathEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        const char* name = std::getenv("QEV_LANE_PATH");
        if (!name)
            return;
        const std::string path = name;
        ASSERT_TRUE(path == "sse" || path == "avx") << "QEV_LANE_PATH=" << path;
        const auto chosen =
            path == "sse" ? qev::PhaserStages::Path::Sse : qev::PhaserStages::Path::Avx;
        if (!qev::PhaserStages::choosePath(chosen))
            GTEST_SKIP() << "this processor has no " << path << " path";
        std::printf("The engine's stages run on the %s path.\n", path.c_str());
    }
};

const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new LanePathEnvironment);

// Stages made now take the path forced, or the widest the processor supports.
TEST(LanePath, StagesTakeThePathForcedOrTheWidest)
{
    using Path = qev::PhaserStages::Path;
    const char* name = std::getenv("QEV_LANE_PATH");
    const Path expected = name ? (std::string(name) == "sse" ? Path::Sse : Path::Avx)
                               : (qev::PhaserStages::supports(Path::Avx) ? Path::Avx : Path::Sse);
    EXPECT_EQ(qev::PhaserStages(44100.0f).path, expected);
    EXPECT_TRUE(qev::PhaserStages::supports(Path::Sse));
}

} // namespace
