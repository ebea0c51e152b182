#pragma once

// The plug-in's settings as the command line names them: programs and parameters by number or
// by the names the plug-in reports, preset files, and the printed descriptions.

#include "tools/render/PluginHost.h"
#include "tools/render/PresetFile.h"

#include <iosfwd>
#include <string>

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

void printInfo(PluginHost& host, std::ostream& out);
void printPrograms(PluginHost& host, std::ostream& out);

} // namespace qev::render
