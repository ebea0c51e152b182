#pragma once

// The hidden temporary files being written at this moment, known to the fatal-signal handler
// so that a crash removes them as surely as a failure does. ReplacingFile registers its
// temporary for as long as it exists.

#include <string>

namespace qev::render::temporaryFiles
{

// Records `path`; answers a token for forget(), or -1 when it cannot be recorded (a path longer
// than the system's limit, or more files at once than kCapacity): such a file is still removed
// on every ordinary failure, only a crash would leave it behind. Any thread.
int remember(const std::string& path);
void forget(int token);

// Removes every recorded file. Async-signal-safe: meant for a signal handler.
void removeAll();

// More than the workers of the largest batch, each with one output, plus a preset file.
constexpr int kCapacity = 128;

} // namespace qev::render::temporaryFiles
