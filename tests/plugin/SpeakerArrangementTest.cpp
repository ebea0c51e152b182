#include "Probes.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace probes;

namespace
{

VstSpeakerProperties namedSpeaker(const char* name, VstInt32 type)
{
    VstSpeakerProperties s{};
    s.azimuth = 0.5f;
    s.elevation = -0.25f;
    s.radius = 2.0f;
    s.reserved = 3.0f;
    std::strncpy(s.name, name, sizeof s.name);
    s.type = type;
    std::memset(s.future, 0x5A, sizeof s.future);
    return s;
}

void expectSameSpeaker(const VstSpeakerProperties& a, const VstSpeakerProperties& b)
{
    EXPECT_STREQ(a.name, b.name);
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.azimuth, b.azimuth);
    EXPECT_EQ(a.elevation, b.elevation);
    EXPECT_EQ(a.radius, b.radius);
    EXPECT_EQ(a.reserved, b.reserved);
    EXPECT_EQ(std::memcmp(a.future, b.future, sizeof a.future), 0);
}

TEST(SpeakerArrangement, allocateGivesAZeroedBlockAndReplacesTheOld)
{
    BasePlugin plugin;
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(plugin.allocateArrangement(&arrangement, 2));
    ASSERT_NE(arrangement, nullptr);
    EXPECT_EQ(arrangement->numChannels, 2);
    EXPECT_EQ(arrangement->type, 0);
    EXPECT_EQ(arrangement->speakers[1].name[0], 0);
    arrangement->speakers[1].type = 9; // the second speaker lies inside the block

    // The old block is released (the sanitizer build reports a leak otherwise).
    ASSERT_TRUE(plugin.allocateArrangement(&arrangement, 0));
    EXPECT_EQ(arrangement->numChannels, 0);
    EXPECT_TRUE(plugin.deallocateArrangement(&arrangement));
    EXPECT_EQ(arrangement, nullptr);
    EXPECT_TRUE(plugin.deallocateArrangement(&arrangement));
    EXPECT_TRUE(plugin.deallocateArrangement(nullptr));
}

TEST(SpeakerArrangement, badAllocationRequestsAnswerFalse)
{
    BasePlugin plugin;
    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE(plugin.allocateArrangement(&arrangement, 1));
    EXPECT_FALSE(plugin.allocateArrangement(&arrangement, -1));
    EXPECT_EQ(arrangement, nullptr);
    EXPECT_FALSE(plugin.allocateArrangement(nullptr, 2));
}

TEST(SpeakerArrangement, copySpeakerCopiesEveryFieldAndBoundsTheName)
{
    BasePlugin plugin;
    VstSpeakerProperties from = namedSpeaker("L", 1);
    VstSpeakerProperties to{};
    EXPECT_TRUE(plugin.copySpeaker(&to, &from));
    expectSameSpeaker(to, from);

    std::memset(from.name, 'x', sizeof from.name); // no terminator at all
    EXPECT_TRUE(plugin.copySpeaker(&to, &from));
    EXPECT_EQ(std::strlen(to.name), 63u);

    EXPECT_FALSE(plugin.copySpeaker(nullptr, &from));
    EXPECT_FALSE(plugin.copySpeaker(&to, nullptr));
}

TEST(SpeakerArrangement, matchCopiesTypeAndEverySpeaker)
{
    BasePlugin plugin;
    VstSpeakerArrangement from{};
    from.type = 1;
    from.numChannels = 8;
    for (VstInt32 i = 0; i < 8; ++i)
        from.speakers[i] = namedSpeaker(i % 2 ? "R" : "L", i + 1);

    VstSpeakerArrangement* to = nullptr;
    ASSERT_TRUE(plugin.allocateArrangement(&to, 1));
    ASSERT_TRUE(plugin.matchArrangement(&to, &from));
    EXPECT_EQ(to->type, 1);
    EXPECT_EQ(to->numChannels, 8);
    for (VstInt32 i = 0; i < 8; ++i)
        expectSameSpeaker(to->speakers[i], from.speakers[i]);

    EXPECT_TRUE(plugin.matchArrangement(&to, to)); // matching itself keeps it
    EXPECT_EQ(to->numChannels, 8);
    EXPECT_FALSE(plugin.matchArrangement(&to, nullptr));
    EXPECT_FALSE(plugin.matchArrangement(nullptr, &from));
    plugin.deallocateArrangement(&to);
}

} // namespace
