#pragma once

// The standard preset files: a program file (.fxp) holds one program, a bank file (.fxb) the
// whole bank. Plug-ins that save their state as an opaque chunk use the chunk forms ('FPCh',
// 'FBCh'); plug-ins without chunks use the parameter-list forms ('FxCk', 'FxBk'). Every
// header integer and every listed parameter value is big-endian.
//
//   program, chunk form   'CcnK', size of the rest, 'FPCh', version 1, unique ID, plug-in
//                          version, number of parameters, name[28], chunk size, chunk
//   bank, chunk form      'CcnK', size of the rest, 'FBCh', version 2, unique ID, plug-in
//                          version, number of programs, current program, 124 zero bytes,
//                          chunk size, chunk
//   program, list form    'CcnK', size of the rest, 'FxCk', version 1, unique ID, plug-in
//                          version, number of parameters, name[28], the parameters (floats)
//   bank, list form       'CcnK', size of the rest, 'FxBk', version 2, unique ID, plug-in
//                          version, number of programs, current program, 124 zero bytes,
//                          then one list-form program file per program
//
// Version 1 banks are read too; they have 128 reserved bytes and no current program.

#include <cstdint>
#include <string>
#include <vector>

namespace qev::render
{

struct ParamProgram
{
    std::string name; // at most 27 characters are stored
    std::vector<float> values;
};

struct PresetFile
{
    enum class Kind
    {
        Program,
        Bank
    };

    Kind kind = Kind::Program;
    bool chunked = true; // chunk form, else parameter-list form
    std::int32_t uniqueId = 0;
    std::int32_t pluginVersion = 0;
    std::int32_t numParams = 0;         // program files
    std::int32_t numPrograms = 0;       // bank files
    std::int32_t currentProgram = -1;   // bank files; -1 when the file does not say
    std::string programName;            // chunk-form program files
    std::vector<std::uint8_t> chunk;    // chunk forms
    std::vector<ParamProgram> programs; // list forms: one (program file) or numPrograms
};

// The largest file read at all: far above any real bank, small enough to hold in memory.
constexpr std::size_t kMaxPresetFileBytes = 64u << 20;

std::vector<std::uint8_t> encodePreset(const PresetFile& preset);

// Parses and checks the layout: magics, versions, every size against the bytes present.
// Anything malformed throws Error naming `what` (the file name).
PresetFile decodePreset(const std::vector<std::uint8_t>& bytes, const std::string& what);

// .fxp or .fxb, by the file name's extension (either case); anything else throws Error.
PresetFile::Kind presetKindForFileName(const std::string& path);

} // namespace qev::render
