// The preset file layouts, byte for byte, and the checks made when reading them.

#include "tools/render/PresetFile.h"
#include "plugin/VstInterface.h"
#include "tools/render/Error.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qev::render
{
namespace
{

std::int32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::int32_t>(std::uint32_t(bytes[at]) << 24 |
                                     std::uint32_t(bytes[at + 1]) << 16 |
                                     std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3]);
}

std::vector<std::uint8_t> someChunk(std::size_t size)
{
    std::vector<std::uint8_t> chunk(size);
    for (std::size_t i = 0; i < size; ++i)
        chunk[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return chunk;
}

PresetFile chunkProgram()
{
    PresetFile preset;
    preset.kind = PresetFile::Kind::Program;
    preset.uniqueId = fourCC("m8g0");
    preset.pluginVersion = 7;
    preset.numParams = 23;
    preset.programName = "A name that is longer than twenty-seven characters";
    preset.chunk = someChunk(1136);
    return preset;
}

PresetFile chunkBank()
{
    PresetFile preset;
    preset.kind = PresetFile::Kind::Bank;
    preset.uniqueId = fourCC("m8g0");
    preset.pluginVersion = 1;
    preset.numPrograms = 20;
    preset.currentProgram = 13;
    preset.chunk = someChunk(22720);
    return preset;
}

PresetFile listProgram()
{
    PresetFile preset;
    preset.kind = PresetFile::Kind::Program;
    preset.chunked = false;
    preset.uniqueId = fourCC("Prb1");
    preset.pluginVersion = 3;
    preset.numParams = 3;
    preset.programs = {{"one", {0.5f, -2.0f, 1e-20f}}};
    return preset;
}

PresetFile listBank()
{
    PresetFile preset = listProgram();
    preset.kind = PresetFile::Kind::Bank;
    preset.numPrograms = 2;
    preset.currentProgram = 1;
    preset.programs = {{"one", {0.5f, -2.0f, 1e-20f}}, {"two", {1.0f, 0.0f, 3.0f}}};
    return preset;
}

TEST(PresetLayout, ProgramChunkFile)
{
    const std::vector<std::uint8_t> bytes = encodePreset(chunkProgram());
    ASSERT_EQ(bytes.size(), 60u + 1136u);
    EXPECT_EQ(wordAt(bytes, 0), fourCC("CcnK"));
    EXPECT_EQ(wordAt(bytes, 4), static_cast<std::int32_t>(bytes.size() - 8));
    EXPECT_EQ(wordAt(bytes, 8), fourCC("FPCh"));
    EXPECT_EQ(wordAt(bytes, 12), 1);
    EXPECT_EQ(wordAt(bytes, 16), fourCC("m8g0"));
    EXPECT_EQ(wordAt(bytes, 20), 7);
    EXPECT_EQ(wordAt(bytes, 24), 23);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])),
              "A name that is longer than "); // 27 characters and the terminator
    EXPECT_EQ(bytes[55], 0);
    EXPECT_EQ(wordAt(bytes, 56), 1136);
    EXPECT_TRUE(std::equal(bytes.begin() + 60, bytes.end(), someChunk(1136).begin()));
}

TEST(PresetLayout, BankChunkFile)
{
    const std::vector<std::uint8_t> bytes = encodePreset(chunkBank());
    ASSERT_EQ(bytes.size(), 160u + 22720u);
    EXPECT_EQ(wordAt(bytes, 0), fourCC("CcnK"));
    EXPECT_EQ(wordAt(bytes, 4), static_cast<std::int32_t>(bytes.size() - 8));
    EXPECT_EQ(wordAt(bytes, 8), fourCC("FBCh"));
    EXPECT_EQ(wordAt(bytes, 12), 2);
    EXPECT_EQ(wordAt(bytes, 16), fourCC("m8g0"));
    EXPECT_EQ(wordAt(bytes, 20), 1);
    EXPECT_EQ(wordAt(bytes, 24), 20);
    EXPECT_EQ(wordAt(bytes, 28), 13);
    for (std::size_t i = 32; i < 156; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(wordAt(bytes, 156), 22720);
    EXPECT_TRUE(std::equal(bytes.begin() + 160, bytes.end(), someChunk(22720).begin()));
}

TEST(PresetLayout, ParameterListFilesStoreBigEndianFloats)
{
    const std::vector<std::uint8_t> program = encodePreset(listProgram());
    ASSERT_EQ(program.size(), 56u + 12u);
    EXPECT_EQ(wordAt(program, 8), fourCC("FxCk"));
    EXPECT_EQ(wordAt(program, 24), 3);
    EXPECT_EQ(wordAt(program, 56), 0x3F000000);                             // 0.5f
    EXPECT_EQ(wordAt(program, 60), static_cast<std::int32_t>(0xC0000000u)); // -2.0f

    const std::vector<std::uint8_t> bank = encodePreset(listBank());
    ASSERT_EQ(bank.size(), 156u + 2 * 68u);
    EXPECT_EQ(wordAt(bank, 8), fourCC("FxBk"));
    EXPECT_EQ(wordAt(bank, 24), 2);
    EXPECT_EQ(wordAt(bank, 28), 1);
    EXPECT_EQ(wordAt(bank, 156), fourCC("CcnK"));
    EXPECT_EQ(wordAt(bank, 156 + 68 + 8), fourCC("FxCk"));
}

struct FormCase
{
    const char* name;
    PresetFile (*make)();
};

class PresetForms : public ::testing::TestWithParam<FormCase>
{
};

TEST_P(PresetForms, RoundTrip)
{
    const PresetFile original = GetParam().make();
    const PresetFile back = decodePreset(encodePreset(original), "x");
    EXPECT_EQ(back.kind, original.kind);
    EXPECT_EQ(back.chunked, original.chunked);
    EXPECT_EQ(back.uniqueId, original.uniqueId);
    EXPECT_EQ(back.pluginVersion, original.pluginVersion);
    EXPECT_EQ(back.chunk, original.chunk);
    ASSERT_EQ(back.programs.size(), original.programs.size());
    for (std::size_t p = 0; p < back.programs.size(); ++p)
    {
        EXPECT_EQ(back.programs[p].name, original.programs[p].name);
        EXPECT_EQ(back.programs[p].values, original.programs[p].values);
    }
    if (original.kind == PresetFile::Kind::Bank)
    {
        EXPECT_EQ(back.currentProgram, original.currentProgram);
    }
    else if (original.chunked)
    {
        EXPECT_EQ(back.programName, original.programName.substr(0, 27));
    }
    EXPECT_EQ(encodePreset(back), encodePreset(original));
}

TEST_P(PresetForms, EveryTruncationIsRejected)
{
    const std::vector<std::uint8_t> bytes = encodePreset(GetParam().make());
    for (std::size_t size = 0; size < bytes.size(); ++size)
    {
        const std::vector<std::uint8_t> cut(bytes.begin(),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_THROW(decodePreset(cut, "cut"), Error) << size << " bytes";
    }
}

TEST_P(PresetForms, ExtraBytesAreRejected)
{
    std::vector<std::uint8_t> bytes = encodePreset(GetParam().make());
    bytes.push_back(0);
    EXPECT_THROW(decodePreset(bytes, "long"), Error);
    // Even when the outer size is made to cover them.
    const auto size = static_cast<std::uint32_t>(bytes.size() - 8);
    for (int i = 0; i < 4; ++i)
        bytes[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
    EXPECT_THROW(decodePreset(bytes, "long"), Error);
}

TEST_P(PresetForms, WrongMagicsAreRejected)
{
    const std::vector<std::uint8_t> good = encodePreset(GetParam().make());
    for (std::size_t at : {0u, 8u})
    {
        std::vector<std::uint8_t> bytes = good;
        bytes[at + 1] ^= 0x20;
        try
        {
            decodePreset(bytes, "magic.fxp");
            ADD_FAILURE() << "accepted a wrong magic at " << at;
        }
        catch (const Error& error)
        {
            EXPECT_NE(std::string(error.what()).find("magic.fxp"), std::string::npos);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, PresetForms,
                         ::testing::Values(FormCase{"ChunkProgram", chunkProgram},
                                           FormCase{"ChunkBank", chunkBank},
                                           FormCase{"ListProgram", listProgram},
                                           FormCase{"ListBank", listBank}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PresetLayout, VersionOneBankHasNoCurrentProgram)
{
    std::vector<std::uint8_t> bytes = encodePreset(chunkBank());
    bytes[15] = 1;                                        // format version 1
    std::fill(bytes.begin() + 28, bytes.begin() + 32, 0); // the word is reserved there
    const PresetFile back = decodePreset(bytes, "v1");
    EXPECT_EQ(back.currentProgram, -1);
    EXPECT_EQ(back.chunk, someChunk(22720));
}

// A name field without a terminator reads as the 27 characters a writer keeps, so that what
// is read is written back the same.
TEST(PresetLayout, UnterminatedNamesReadAsWritten)
{
    for (PresetFile preset : {chunkProgram(), listProgram()})
    {
        std::vector<std::uint8_t> bytes = encodePreset(preset);
        std::fill(bytes.begin() + 28, bytes.begin() + 56, 'n');
        const PresetFile back = decodePreset(bytes, "unterminated");
        const std::string name = preset.chunked ? back.programName : back.programs[0].name;
        EXPECT_EQ(name, std::string(27, 'n'));
        EXPECT_EQ(encodePreset(back),
                  [&]
                  {
                      std::vector<std::uint8_t> expected = bytes;
                      expected[55] = 0;
                      return expected;
                  }());
    }
}

TEST(PresetLayout, KindFollowsTheExtension)
{
    EXPECT_EQ(presetKindForFileName("a/b.fxp"), PresetFile::Kind::Program);
    EXPECT_EQ(presetKindForFileName("B.FXB"), PresetFile::Kind::Bank);
    for (const char* bad : {"a.wav", "fxp", "a.fxp.bak", ""})
        EXPECT_THROW(presetKindForFileName(bad), Error) << bad;
}

} // namespace
} // namespace qev::render
