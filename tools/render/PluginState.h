#pragma once

// The plug-in's settings as the command line names them: programs and parameters by number or
// by the names the plug-in reports, preset files, and the printed descriptions.

#include "tools/render/PluginHost.h"
#include "tools/render/PresetFile.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace qev::render
{

// A program number (0-based) or a program's exact name. Unknown ones throw Error.
void selectProgram(PluginHost& host, const std::string& numberOrName);

// "NAME=VALUE" or "INDEX=VALUE". An unknown or ambiguous name, an index out of range or a
// value that is not a finite number throws Error.
void applyParam(PluginHost& host, const std::string& assignment);

// Reads and checks a .fxp or .fxb file; its kind is decided by its magic, not its name.
PresetFile readPresetFile(const std::string& path);

// Gives a preset read from `path` to the plug-in. A program lands in the current program; a
// bank replaces the bank and selects the bank's current program. A preset that does not fit
// the plug-in (another unique ID, another form or size) throws Error before the plug-in is
// touched.
void applyPreset(PluginHost& host, const PresetFile& preset, const std::string& path);

// Writes the current program (.fxp) or the bank (.fxb), as the file name says. The file is
// replaced only when complete.
void savePreset(PluginHost& host, const std::string& path);

// What the command line asks of the plug-in, with the preset file already read, so that any
// number of fresh instances get exactly the same settings.
struct Settings
{
    std::optional<PresetFile> preset;
    std::string presetPath;
    std::optional<std::string> program;
    std::vector<std::string> params; // NAME=VALUE or INDEX=VALUE, in order
};

// The preset, the program and the parameters, in that order. A bank is loaded before the
// program, which then picks one of its programs; a program file after it, so that it lands in
// the program chosen. Parameters come last and so win over both. Throws Error as the
// functions above do.
void applySettings(PluginHost& host, const Settings& settings);

// Everything a fresh instance is given before it renders.
struct HostSetup
{
    int blockSize = 512;
    double tempo = 120.0;
    Settings settings;
};

// Sample rate, block size and tempo, then the settings. Throws Error as applySettings does.
void prepare(PluginHost& host, int sampleRate, const HostSetup& setup);

void printInfo(PluginHost& host, std::ostream& out);
void printPrograms(PluginHost& host, std::ostream& out);

} // namespace qev::render
