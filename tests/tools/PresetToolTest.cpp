// Preset files through the built tool: what --save writes, what --load accepts and rejects.

#include "Reference.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>

namespace tooltest
{
namespace
{

std::int32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::int32_t>(std::uint32_t(bytes[at]) << 24 |
                                     std::uint32_t(bytes[at + 1]) << 16 |
                                     std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3]);
}

void putWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (24 - 8 * i));
}

std::vector<std::uint8_t> referenceChunk(bool preset)
{
    auto plugin = std::make_unique<QevVst>(&ReferenceHost::callback);
    plugin->setProgram(2);
    plugin->setParameter(7, 0.3f);
    void* data = nullptr;
    const VstInt32 size = plugin->getChunk(&data, preset);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

// Settings that differ from a fresh plug-in's in the program, a parameter and a name.
const std::vector<std::string> kEdits = {"--program", "2", "--param", "FEEDBACK=0.3"};

TEST(PresetSave, ProgramFileHoldsTheCurrentProgramsChunk)
{
    Scratch scratch;
    std::vector<std::string> args = kEdits;
    args.insert(args.end(), {"--save", "p.fxp"});
    const RunResult run = scratch.run(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::uint8_t> file = readBytes(scratch / "p.fxp");
    ASSERT_EQ(file.size(), 60u + 1136u);
    EXPECT_EQ(wordAt(file, 8), fourCC("FPCh"));
    EXPECT_EQ(wordAt(file, 16), fourCC("m8g0"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[28])), "Gentle Stereo");
    std::vector<std::uint8_t> chunk(file.begin() + 60, file.end());
    EXPECT_EQ(chunk, referenceChunk(true));
}

TEST(PresetSave, BankFileHoldsTheBankAndTheCurrentProgram)
{
    Scratch scratch;
    std::vector<std::string> args = kEdits;
    args.insert(args.end(), {"--save", "b.FXB"});
    ASSERT_EQ(scratch.run(args).exitCode, 0);
    const std::vector<std::uint8_t> file = readBytes(scratch / "b.FXB");
    ASSERT_EQ(file.size(), 160u + 22720u);
    EXPECT_EQ(wordAt(file, 8), fourCC("FBCh"));
    EXPECT_EQ(wordAt(file, 24), 20);
    EXPECT_EQ(wordAt(file, 28), 2);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 160, file.end()), referenceChunk(false));
}

struct RoundTrip
{
    const char* extension;
    std::vector<std::string> loadArgs;
};

class PresetRoundTrip : public ::testing::TestWithParam<RoundTrip>
{
};

TEST_P(PresetRoundTrip, SaveLoadSaveGivesTheSameBytes)
{
    Scratch scratch;
    const std::string first = std::string("first") + GetParam().extension;
    const std::string second = std::string("second") + GetParam().extension;
    std::vector<std::string> args = kEdits;
    args.insert(args.end(), {"--param", "0=-3.5", "--save", first});
    ASSERT_EQ(scratch.run(args).exitCode, 0);
    args = GetParam().loadArgs;
    args.insert(args.end(), {"--load", first, "--save", second});
    const RunResult run = scratch.run(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::uint8_t> a = readBytes(scratch / first);
    const std::vector<std::uint8_t> b = readBytes(scratch / second);
    ASSERT_GT(a.size(), 60u);
    EXPECT_EQ(a, b);
}

// A program file loads into whichever program is current; a bank brings its own.
INSTANTIATE_TEST_SUITE_P(Kinds, PresetRoundTrip,
                         ::testing::Values(RoundTrip{".fxp", {"--program", "9"}},
                                           RoundTrip{".fxb", {}}),
                         [](const auto& info) { return std::string(info.param.extension + 1); });

TEST(PresetLoad, ABankFromOneRunReproducesItsRender)
{
    Scratch scratch;
    writeAudio(scratch / "in.wav", makeSignal(2, 44100, 20000));
    ASSERT_EQ(scratch
                  .run({"-q", "--program", "5", "--param", "DRYWET=0.8", "--save", "state.fxb",
                        "in.wav", "one.wav"})
                  .exitCode,
              0);
    ASSERT_EQ(scratch.run({"-q", "--load", "state.fxb", "in.wav", "two.wav"}).exitCode, 0);
    const Audio one = readAudio(scratch / "one.wav");
    EXPECT_TRUE(sameSamples(one, readAudio(scratch / "two.wav")));
    EXPECT_FALSE(sameSamples(one, referenceRender(readAudio(scratch / "in.wav"))));
}

TEST(PresetLoad, SaveStoresTheStateAtTheEndOfTheRun)
{
    Scratch scratch;
    writeAudio(scratch / "in.wav", makeSignal(1, 22050, 1000));
    ASSERT_EQ(
        scratch.run({"-q", "--param", "SPEED=0.75", "--save", "p.fxp", "in.wav", "o.wav"}).exitCode,
        0);
    const RunResult info = scratch.run({"--program", "7", "--load", "p.fxp", "--info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("    1  SPEED         0.75\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("    7  Get Alive\n"), std::string::npos) << info.out;
}

// Damaged files, each made from a good one; loading must fail with a message and no output.
struct Damage
{
    const char* name;
    const char* file; // the good file it starts from
    std::function<void(std::vector<std::uint8_t>&)> apply;
    const char* message;
};

void PrintTo(const Damage& c, std::ostream* out)
{
    *out << c.name;
}

class PresetDamage : public ::testing::TestWithParam<Damage>
{
};

TEST_P(PresetDamage, IsRejectedAndNothingIsWritten)
{
    Scratch scratch;
    ASSERT_EQ(scratch.run({"--save", "good.fxp"}).exitCode, 0);
    ASSERT_EQ(scratch.run({"--save", "good.fxb"}).exitCode, 0);
    std::vector<std::uint8_t> bytes = readBytes(scratch / GetParam().file);
    GetParam().apply(bytes);
    writeBytes(scratch / "bad.fxp", bytes);
    writeBytes(scratch / "keep.wav", {'o', 'l', 'd'});
    const std::set<std::string> before = scratch.files();

    for (const char* output : {"out.wav", "keep.wav"})
    {
        const RunResult run = scratch.run({"--load", "bad.fxp", "--save", "new.fxb", output});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.rfind("qev-render: ", 0), 0u) << run.err;
        EXPECT_EQ(lineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    }
    EXPECT_EQ(scratch.files(), before);
    EXPECT_EQ(readText(scratch / "keep.wav"), "old");
}

const Damage damages[] = {
    {"Empty", "good.fxp", [](auto& b) { b.clear(); }, "truncated"},
    {"TruncatedHeader", "good.fxb", [](auto& b) { b.resize(40); }, "truncated"},
    {"TruncatedChunk", "good.fxp", [](auto& b) { b.pop_back(); }, "truncated"},
    {"TruncatedButSizesAgree", "good.fxb",
     [](auto& b)
     {
         b.resize(b.size() - 100);
         putWord(b, 4, static_cast<std::int32_t>(b.size() - 8));
         putWord(b, 156, 22620);
     },
     "refused the bank chunk"},
    {"Oversized", "good.fxb", [](auto& b) { b.push_back(0); }, "oversized"},
    {"OversizedChunkField", "good.fxp", [](auto& b) { putWord(b, 56, 5000); }, "truncated"},
    {"WrongMagic", "good.fxp", [](auto& b) { b[0] = 'X'; }, "'CcnK'"},
    {"WrongFormMagic", "good.fxb", [](auto& b) { putWord(b, 8, fourCC("FBCx")); }, "form"},
    {"WrongVersion", "good.fxp", [](auto& b) { putWord(b, 12, 9); }, "version"},
    {"WrongId", "good.fxp", [](auto& b) { putWord(b, 16, fourCC("abcd")); }, "another plug-in"},
    {"ParameterListForAChunkPlugin", "good.fxp",
     [](auto& b)
     {
         b.resize(56 + 23 * 4);
         putWord(b, 4, static_cast<std::int32_t>(b.size() - 8));
         putWord(b, 8, fourCC("FxCk"));
     },
     "not supported"},
    {"CurrentProgramOutOfRange", "good.fxb", [](auto& b) { putWord(b, 28, 20); }, "more programs"},
};

INSTANTIATE_TEST_SUITE_P(Files, PresetDamage, ::testing::ValuesIn(damages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PresetLoad, HugeFilesAreRejectedUnread)
{
    Scratch scratch;
    {
        std::ofstream file(scratch / "huge.fxb", std::ios::binary);
    }
    fs::resize_file(scratch / "huge.fxb", 65u << 20); // sparse: costs no disk space
    const RunResult run = scratch.run({"--load", "huge.fxb", "out.wav"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("too large"), std::string::npos) << run.err;
    EXPECT_EQ(scratch.files(), std::set<std::string>{"huge.fxb"});
}

} // namespace
} // namespace tooltest
