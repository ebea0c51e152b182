#include "plugin/ProgramRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace qev
{
namespace
{

// The factory programs as published: names and the nine-digit decimals of parameters 1..9.
struct PublishedProgram
{
    const char* name;
    const char* values[9];
};

const PublishedProgram kPublished[] = {
    {"Get Alive",
     {"0.360564351", "0", "0.376267314", "0.635455668", "1", "2", "0.660773516", "0.469888508",
      "0.553145647"}},
    {"Slow Sweep",
     {"0.245817125", "0", "0.11853838", "0.689519167", "0.0485793352", "2", "0.76246798", "1",
      "0.380756557"}},
    {"Gentle Stereo",
     {"0.37390393", "0", "0.281347215", "0.604817629", "1", "2", "0.481855154", "0.581732988",
      "0.553145647"}},
    {"2 Stage Phaser",
     {"0.250929534", "0", "0.179135025", "0.69955802", "1", "0", "0.910447717", "0.541888595",
      "0.555623531"}},
    {"4 Stage Phaser",
     {"0.240315437", "0", "0.173509657", "0.729105234", "1", "1", "0.681278467", "0.587230623",
      "0.522490561"}},
    {"6 Stage Phaser",
     {"0.267337441", "0", "0.16093272", "0.592087746", "1", "2", "0.68931663", "0.69305563",
      "0.530111492"}},
    {"Wet Phaser 6 Stages",
     {"0.267115951", "0", "0.286930323", "0.681278467", "0.999999881", "2", "0.839761853", "1",
      "0.48843652"}},
    {"Wet Phaser 2 Stages",
     {"0.293759584", "0", "0.172106683", "0.743427992", "1", "0", "0.686503053", "1",
      "0.484500349"}},
    {"Wet Hi Freq",
     {"0.27515316", "0", "0.506061375", "0.681278467", "1", "2", "0.673295975", "1",
      "0.518567085"}},
    {"Wet Mid Freq",
     {"0.392390311", "0", "0.181447804", "0.435380757", "1", "1", "0.673737645", "1",
      "0.503722548"}},
    {"Wet Sweet",
     {"0.340908945", "0", "0.266651273", "0.686503053", "1", "2", "0.838508129", "1",
      "0.514126182"}},
    {"Wet Hard Mono",
     {"0.281347215", "0", "0.193530321", "0.458111346", "0.0114594698", "2", "0.829172909", "1",
      "0.495839596"}},
};
const PublishedProgram kDefault = {"default", {"0.5", "0", "0", "1", "0", "0", "0.5", "1", "0.5"}};

std::vector<unsigned char> expectedBank()
{
    std::vector<unsigned char> bytes(kBankChunkBytes, 0);
    for (int r = 0; r < kNumPrograms; ++r)
    {
        unsigned char* record = bytes.data() + r * 1136;
        const PublishedProgram& p = r < 12 ? kPublished[r] : kDefault;
        std::memcpy(record, p.name, std::strlen(p.name));
        for (int i = 0; i < 9; ++i)
        {
            const float v = std::strtof(p.values[i], nullptr);
            std::memcpy(record + 24 + 4 * (i + 1), &v, 4);
        }
        const std::int32_t nine = 9, one = 1;
        std::memcpy(record + 276, &nine, 4);
        std::memcpy(record + 284, &one, 4);
    }
    std::memcpy(bytes.data() + 10, "reo", 3);
    bytes[6 * 1136 + 20] = 'k';
    return bytes;
}

TEST(ProgramRecord, FactoryBankIsThePublishedBankByteForByte)
{
    std::vector<ProgramRecord> bank(kNumPrograms);
    std::memset(bank.data(), 0xAB, kBankChunkBytes); // every byte must be written
    writeFactoryBank(bank.data());
    const std::vector<unsigned char> expected = expectedBank();
    const auto* actual = reinterpret_cast<const unsigned char*>(bank.data());
    for (int i = 0; i < kBankChunkBytes; ++i)
        ASSERT_EQ(actual[i], expected[i])
            << "byte " << i << " (record " << i / 1136 << ", offset " << i % 1136 << ")";
}

TEST(ProgramRecord, FactoryNamesAndValues)
{
    std::vector<ProgramRecord> bank(kNumPrograms);
    writeFactoryBank(bank.data());
    EXPECT_STREQ(bank[0].name, "Get Alive");
    EXPECT_STREQ(bank[11].name, "Wet Hard Mono");
    EXPECT_STREQ(bank[19].name, "default");
    EXPECT_EQ(bank[0].values[1], 0.360564351f);
    EXPECT_EQ(bank[0].values[6], 2.0f);
    EXPECT_EQ(bank[6].values[5], 0.999999881f);
    EXPECT_EQ(bank[6].values[5] == 1.0f, false);
    for (const ProgramRecord& r : bank)
    {
        EXPECT_EQ(r.values[0], 0.0f);
        EXPECT_EQ(r.values[2], 0.0f); // no factory program syncs to tempo
        for (int i = 10; i < kNumParams; ++i)
            EXPECT_EQ(r.values[i], 0.0f);
    }
}

TEST(ProgramRecord, DefaultRecordIsNamedDefaultAndAllZero)
{
    ProgramRecord record;
    std::memset(&record, 0x5A, sizeof record);
    resetToDefault(record);
    EXPECT_STREQ(record.name, "default");
    for (int i = 8; i < ProgramRecord::kNameSize; ++i)
        EXPECT_EQ(record.name[i], 0);
    for (float v : record.values)
        EXPECT_EQ(v, 0.0f);
    for (float v : record.reserved)
        EXPECT_EQ(v, 0.0f);
}

} // namespace
} // namespace qev
