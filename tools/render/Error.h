#pragma once

#include <stdexcept>
#include <string>

namespace qev::render
{

// A failure the user can act on: the message is printed as one line and the tool exits
// non-zero. Everything that can go wrong at run time (files, modules, presets) throws this.
struct Error : std::runtime_error
{
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A mistake on the command line; reported like Error, with its own exit code.
struct UsageError : Error
{
    explicit UsageError(const std::string& message) : Error(message) {}
};

} // namespace qev::render
