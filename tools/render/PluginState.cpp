#include "tools/render/PluginState.h"

#include "tools/render/Error.h"
#include "tools/render/Numbers.h"
#include "tools/render/PresetFile.h"
#include "tools/render/ReplacingFile.h"

#include <fstream>
#include <iomanip>
#include <limits>
#include <ostream>

namespace qev::render
{

namespace
{

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::vector<std::uint8_t> readPresetBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        throw Error("cannot read preset file " + path);
    const std::streamoff size = file.tellg();
    if (size < 0)
        throw Error("cannot read preset file " + path);
    if (static_cast<std::uint64_t>(size) > kMaxPresetFileBytes)
        throw Error("preset file " + path + " is too large to be a preset (oversized)");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size))
        throw Error("cannot read preset file " + path);
    return bytes;
}

std::string flagWords(std::int32_t flags)
{
    static const std::pair<std::int32_t, const char*> names[] = {
        {effFlagsHasEditor, "has-editor"},
        {effFlagsHasClip, "has-clip"},
        {effFlagsHasVu, "has-vu"},
        {effFlagsCanMono, "can-mono"},
        {effFlagsCanReplacing, "can-process-replacing"},
        {effFlagsProgramChunks, "programs-are-chunks"},
        {effFlagsIsSynth, "is-synth"},
        {effFlagsNoSoundInStop, "no-sound-in-stop"},
        {effFlagsExtIsAsync, "async"},
        {effFlagsExtHasBuffer, "external-buffer"},
        {effFlagsCanDoubleReplacing, "can-double-replacing"},
    };
    std::string words;
    for (const auto& [bit, name] : names)
        if (flags & bit)
            words += (words.empty() ? "" : " ") + std::string(name);
    return words.empty() ? "none" : words;
}

std::string fourCharacters(std::int32_t id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

} // namespace

void selectProgram(PluginHost& host, const std::string& numberOrName)
{
    int index = -1;
    if (parseIndex(numberOrName, index))
    {
        if (index >= host.numPrograms())
            throw Error("no program " + numberOrName + ": the plug-in has " +
                        std::to_string(host.numPrograms()) + " programs (0 to " +
                        std::to_string(host.numPrograms() - 1) + ")");
    }
    else
    {
        for (int i = 0; i < host.numPrograms() && index < 0; ++i)
            if (host.programNameIndexed(i) == numberOrName)
                index = i;
        if (index < 0)
            throw Error("unknown program " + quoted(numberOrName) +
                        " (--list-programs shows them)");
    }
    host.setProgram(index);
}

void applyParam(PluginHost& host, const std::string& assignment)
{
    const std::size_t equals = assignment.rfind('=');
    if (equals == std::string::npos || equals == 0)
        throw UsageError("--param needs NAME=VALUE or INDEX=VALUE, not " + quoted(assignment));
    const std::string key = assignment.substr(0, equals);
    const std::string valueText = assignment.substr(equals + 1);
    float value = 0.0f;
    if (!parseFloat(valueText, value))
        throw UsageError("bad value for parameter " + key + ": " + quoted(valueText) +
                         " is not a number");
    int index = -1;
    if (parseIndex(key, index))
    {
        if (index >= host.numParams())
            throw Error("no parameter " + key + ": the plug-in has " +
                        std::to_string(host.numParams()) + " parameters");
    }
    else
    {
        int matches = 0;
        for (int i = 0; i < host.numParams(); ++i)
            if (host.paramName(i) == key)
            {
                if (matches++ == 0)
                    index = i;
            }
        if (matches == 0)
            throw Error("unknown parameter " + quoted(key) + " (--info lists them)");
        if (matches > 1)
            throw Error("parameter name " + quoted(key) + " is used " + std::to_string(matches) +
                        " times; give its index instead");
    }
    host.setParam(index, value);
}

PresetFile readPresetFile(const std::string& path)
{
    return decodePreset(readPresetBytes(path), path);
}

void applyPreset(PluginHost& host, const PresetFile& preset, const std::string& path)
{
    const AEffect& record = host.record();
    if (preset.uniqueId != record.uniqueID)
        throw Error("preset file " + path + " belongs to another plug-in (ID '" +
                    fourCharacters(preset.uniqueId) + "', this one is '" +
                    fourCharacters(record.uniqueID) + "')");
    const bool isBank = preset.kind == PresetFile::Kind::Bank;
    if (preset.chunked != host.programsAreChunks())
        throw Error("preset file " + path + " holds " +
                    (preset.chunked ? "a state chunk, which this plug-in does not use"
                                    : "a parameter list, which is not supported for a "
                                      "plug-in that saves its state as a chunk"));
    if (isBank &&
        (preset.currentProgram >= host.numPrograms() || preset.numPrograms > host.numPrograms()))
        throw Error("preset file " + path + " is a bank of more programs than the plug-in has");
    if (!preset.chunked)
    {
        for (const ParamProgram& program : preset.programs)
            if (static_cast<int>(program.values.size()) != host.numParams())
                throw Error("preset file " + path + " has " +
                            std::to_string(program.values.size()) +
                            " parameters; the plug-in has " + std::to_string(host.numParams()));
    }

    if (preset.chunked)
    {
        host.setChunk(preset.chunk, !isBank);
    }
    else
    {
        const int current = host.program();
        for (std::size_t p = 0; p < preset.programs.size(); ++p)
        {
            if (isBank)
                host.setProgram(static_cast<int>(p));
            host.setProgramName(preset.programs[p].name);
            for (int i = 0; i < host.numParams(); ++i)
                host.setParam(i, preset.programs[p].values[static_cast<std::size_t>(i)]);
        }
        if (isBank)
            host.setProgram(current);
    }
    if (isBank && preset.currentProgram >= 0)
        host.setProgram(preset.currentProgram);
}

void savePreset(PluginHost& host, const std::string& path)
{
    PresetFile preset;
    preset.kind = presetKindForFileName(path);
    preset.chunked = host.programsAreChunks();
    preset.uniqueId = host.record().uniqueID;
    preset.pluginVersion = host.record().version;
    preset.numParams = host.numParams();
    preset.numPrograms = host.numPrograms();
    preset.currentProgram = host.program();
    const bool isBank = preset.kind == PresetFile::Kind::Bank;
    if (preset.chunked)
    {
        preset.programName = host.programName();
        preset.chunk = host.chunk(!isBank);
    }
    else
    {
        auto current = [&host]
        {
            ParamProgram program{host.programName(), {}};
            for (int i = 0; i < host.numParams(); ++i)
                program.values.push_back(host.param(i));
            return program;
        };
        if (!isBank)
        {
            preset.programs.push_back(current());
        }
        else
        {
            // Visiting each program is the only way to read a list-form plug-in's bank.
            for (int p = 0; p < host.numPrograms(); ++p)
            {
                host.setProgram(p);
                preset.programs.push_back(current());
            }
            host.setProgram(preset.currentProgram);
        }
    }
    const std::vector<std::uint8_t> bytes = encodePreset(preset);
    ReplacingFile file(path);
    file.write(bytes.data(), bytes.size());
    file.commit();
}

void applySettings(PluginHost& host, const Settings& settings)
{
    const bool bank = settings.preset && settings.preset->kind == PresetFile::Kind::Bank;
    if (bank)
        applyPreset(host, *settings.preset, settings.presetPath);
    if (settings.program)
        selectProgram(host, *settings.program);
    if (settings.preset && !bank)
        applyPreset(host, *settings.preset, settings.presetPath);
    for (const std::string& assignment : settings.params)
        applyParam(host, assignment);
}

void prepare(PluginHost& host, int sampleRate, const HostSetup& setup)
{
    host.setSampleRate(sampleRate);
    host.setBlockSize(setup.blockSize);
    host.setTempo(setup.tempo);
    applySettings(host, setup.settings);
}

void printInfo(PluginHost& host, std::ostream& out)
{
    const AEffect& record = host.record();
    out << "effect name:    " << host.effectName() << "\n"
        << "product:        " << host.productString() << "\n"
        << "vendor:         " << host.vendorString() << "\n"
        << "vendor version: " << host.vendorVersion() << "\n"
        << "VST version:    " << host.vstVersion() << "\n"
        << "unique ID:      '" << fourCharacters(record.uniqueID) << "' (" << record.uniqueID
        << ")\n"
        << "inputs:         " << record.numInputs << "\n"
        << "outputs:        " << record.numOutputs << "\n"
        << "flags:          " << flagWords(record.flags) << "\n"
        << "parameters:     " << host.numParams() << "\n";
    // Nine significant digits give back the exact float.
    out << std::setprecision(std::numeric_limits<float>::max_digits10);
    for (int i = 0; i < host.numParams(); ++i)
        out << "  " << std::setw(3) << i << "  " << std::left << std::setw(12) << host.paramName(i)
            << std::right << "  " << host.param(i) << "\n";
    out << "programs:       " << host.numPrograms() << " (current: " << host.program() << ")\n";
    printPrograms(host, out);
}

void printPrograms(PluginHost& host, std::ostream& out)
{
    for (int i = 0; i < host.numPrograms(); ++i)
        out << "  " << std::setw(3) << i << "  " << host.programNameIndexed(i) << "\n";
}

} // namespace qev::render
