#include "tools/render/PresetFile.h"

#include "plugin/VstInterface.h"
#include "tools/render/Error.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace qev::render
{

namespace
{

constexpr std::int32_t kFileMagic = fourCC("CcnK");
constexpr std::int32_t kChunkProgram = fourCC("FPCh");
constexpr std::int32_t kChunkBank = fourCC("FBCh");
constexpr std::int32_t kListProgram = fourCC("FxCk");
constexpr std::int32_t kListBank = fourCC("FxBk");
constexpr std::size_t kNameBytes = 28;
constexpr std::size_t kBankReserved = 124;

class Writer
{
public:
    void int32(std::int32_t value)
    {
        const auto u = static_cast<std::uint32_t>(value);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(u >> shift));
    }
    void float32(float value)
    {
        std::uint32_t u;
        std::memcpy(&u, &value, sizeof u);
        int32(static_cast<std::int32_t>(u));
    }
    void name(const std::string& text)
    {
        for (std::size_t i = 0; i < kNameBytes; ++i)
            bytes.push_back(
                i < kNameBytes - 1 && i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
    }
    void zeros(std::size_t count) { bytes.insert(bytes.end(), count, 0); }
    void raw(const std::vector<std::uint8_t>& data)
    {
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    // Fills in the size field at `at` (the second word of a file) once the file is complete.
    void patchSize(std::size_t at)
    {
        const auto size = static_cast<std::uint32_t>(bytes.size() - at - 4);
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(size >> (24 - 8 * i));
    }

    std::vector<std::uint8_t> bytes;
};

class Reader
{
public:
    Reader(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end,
           const std::string& what)
        : bytes(bytes), at(begin), end(end), what(what)
    {
    }

    std::int32_t int32()
    {
        need(4);
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u = (u << 8) | bytes[at++];
        return static_cast<std::int32_t>(u);
    }
    float float32()
    {
        const auto u = static_cast<std::uint32_t>(int32());
        float value;
        std::memcpy(&value, &u, sizeof value);
        return value;
    }
    // At most 27 characters, as they are written: a name filling all 28 bytes has lost its
    // terminator, whose place the last byte is.
    std::string name()
    {
        need(kNameBytes);
        const char* first = reinterpret_cast<const char*>(bytes.data() + at);
        at += kNameBytes;
        return std::string(first, strnlen(first, kNameBytes - 1));
    }
    void skip(std::size_t count)
    {
        need(count);
        at += count;
    }
    std::vector<std::uint8_t> take(std::size_t count)
    {
        need(count);
        std::vector<std::uint8_t> data(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                       bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
        at += count;
        return data;
    }
    std::size_t position() const { return at; }
    std::size_t left() const { return end - at; }
    [[noreturn]] void fail(const std::string& why) const
    {
        throw Error("corrupt preset file " + what + ": " + why);
    }

private:
    void need(std::size_t count) const
    {
        if (count > left())
            fail("it ends early (truncated)");
    }

    const std::vector<std::uint8_t>& bytes;
    std::size_t at;
    std::size_t end;
    const std::string& what;
};

// A whole file or one program inside a list-form bank: 'CcnK' and the size of the rest, which
// must fit the bytes present. Returns the end of this file's bytes.
std::size_t readFileHeader(Reader& in, std::size_t available)
{
    if (available < 8)
        in.fail("it ends early (truncated)");
    if (in.int32() != kFileMagic)
        in.fail("it does not start with 'CcnK'");
    const std::int32_t size = in.int32();
    if (size < 0 || static_cast<std::size_t>(size) > in.left())
        in.fail("it is shorter than its header says (truncated)");
    return in.position() + static_cast<std::size_t>(size);
}

ParamProgram readListProgram(Reader& in, std::int32_t& uniqueId, std::int32_t& version)
{
    if (in.int32() != kListProgram)
        in.fail("a program in the bank is not an 'FxCk' program");
    if (in.int32() != 1)
        in.fail("unsupported program format version");
    uniqueId = in.int32();
    version = in.int32();
    const std::int32_t count = in.int32();
    ParamProgram program;
    program.name = in.name();
    if (count < 0 || static_cast<std::size_t>(count) * 4 != in.left())
        in.fail("the number of parameters does not match its size");
    for (std::int32_t i = 0; i < count; ++i)
        program.values.push_back(in.float32());
    return program;
}

void writeListProgram(Writer& out, const PresetFile& preset, const ParamProgram& program)
{
    const std::size_t sizeAt = out.bytes.size() + 4;
    out.int32(kFileMagic);
    out.int32(0);
    out.int32(kListProgram);
    out.int32(1);
    out.int32(preset.uniqueId);
    out.int32(preset.pluginVersion);
    out.int32(static_cast<std::int32_t>(program.values.size()));
    out.name(program.name);
    for (float value : program.values)
        out.float32(value);
    out.patchSize(sizeAt);
}

} // namespace

std::vector<std::uint8_t> encodePreset(const PresetFile& preset)
{
    Writer out;
    if (preset.kind == PresetFile::Kind::Program)
    {
        if (!preset.chunked)
        {
            writeListProgram(out, preset, preset.programs.at(0));
            return out.bytes;
        }
        out.int32(kFileMagic);
        out.int32(0);
        out.int32(kChunkProgram);
        out.int32(1);
        out.int32(preset.uniqueId);
        out.int32(preset.pluginVersion);
        out.int32(preset.numParams);
        out.name(preset.programName);
        out.int32(static_cast<std::int32_t>(preset.chunk.size()));
        out.raw(preset.chunk);
        out.patchSize(4);
        return out.bytes;
    }
    out.int32(kFileMagic);
    out.int32(0);
    out.int32(preset.chunked ? kChunkBank : kListBank);
    out.int32(2);
    out.int32(preset.uniqueId);
    out.int32(preset.pluginVersion);
    out.int32(preset.chunked ? preset.numPrograms
                             : static_cast<std::int32_t>(preset.programs.size()));
    out.int32(preset.currentProgram);
    out.zeros(kBankReserved);
    if (preset.chunked)
    {
        out.int32(static_cast<std::int32_t>(preset.chunk.size()));
        out.raw(preset.chunk);
    }
    else
    {
        for (const ParamProgram& program : preset.programs)
            writeListProgram(out, preset, program);
    }
    out.patchSize(4);
    return out.bytes;
}

PresetFile decodePreset(const std::vector<std::uint8_t>& bytes, const std::string& what)
{
    Reader in(bytes, 0, bytes.size(), what);
    const std::size_t end = readFileHeader(in, bytes.size());
    if (end != bytes.size())
        in.fail("it is longer than its header says (oversized)");

    PresetFile preset;
    const std::int32_t form = in.int32();
    if (form == kChunkProgram || form == kListProgram)
    {
        preset.kind = PresetFile::Kind::Program;
        preset.chunked = form == kChunkProgram;
        if (!preset.chunked)
        {
            Reader whole(bytes, 8, bytes.size(), what);
            preset.programs.push_back(
                readListProgram(whole, preset.uniqueId, preset.pluginVersion));
            preset.numParams = static_cast<std::int32_t>(preset.programs[0].values.size());
            return preset;
        }
        if (in.int32() != 1)
            in.fail("unsupported program format version");
        preset.uniqueId = in.int32();
        preset.pluginVersion = in.int32();
        preset.numParams = in.int32();
        preset.programName = in.name();
    }
    else if (form == kChunkBank || form == kListBank)
    {
        preset.kind = PresetFile::Kind::Bank;
        preset.chunked = form == kChunkBank;
        const std::int32_t version = in.int32();
        if (version != 1 && version != 2)
            in.fail("unsupported bank format version");
        preset.uniqueId = in.int32();
        preset.pluginVersion = in.int32();
        preset.numPrograms = in.int32();
        if (preset.numPrograms < 0)
            in.fail("negative number of programs");
        if (version == 2)
            preset.currentProgram = in.int32();
        in.skip(version == 2 ? kBankReserved : kBankReserved + 4);
        if (!preset.chunked)
        {
            for (std::int32_t i = 0; i < preset.numPrograms; ++i)
            {
                const std::size_t programEnd = readFileHeader(in, in.left());
                Reader program(bytes, in.position(), programEnd, what);
                std::int32_t id = 0;
                std::int32_t pluginVersion = 0;
                preset.programs.push_back(readListProgram(program, id, pluginVersion));
                if (id != preset.uniqueId)
                    in.fail("a program in the bank belongs to another plug-in");
                in.skip(programEnd - in.position());
            }
            if (in.left() != 0)
                in.fail("it has bytes after its last program (oversized)");
            return preset;
        }
    }
    else
    {
        in.fail("unknown preset form (expected 'FPCh', 'FBCh', 'FxCk' or 'FxBk')");
    }

    const std::int32_t chunkSize = in.int32();
    if (chunkSize < 0 || static_cast<std::size_t>(chunkSize) > in.left())
        in.fail("its chunk is larger than the file (truncated)");
    if (static_cast<std::size_t>(chunkSize) < in.left())
        in.fail("it has bytes after its chunk (oversized)");
    preset.chunk = in.take(static_cast<std::size_t>(chunkSize));
    return preset;
}

PresetFile::Kind presetKindForFileName(const std::string& path)
{
    std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (tail == ".fxp")
        return PresetFile::Kind::Program;
    if (tail == ".fxb")
        return PresetFile::Kind::Bank;
    throw Error("cannot tell what to save in " + path +
                ": name it .fxp (one program) or .fxb (the bank)");
}

} // namespace qev::render
