#pragma once

#include <string>

namespace qev::render
{

// A file that replaces `target` only once it is complete. The data goes to a hidden temporary
// file in the target's folder (so the final rename stays on one file system and is atomic);
// commit() renames it over the target. Destroying an uncommitted ReplacingFile removes the
// temporary, so a failure never leaves a half-written file or clobbers an existing one; a crash
// removes it too (see Signals.h).
class ReplacingFile
{
public:
    explicit ReplacingFile(const std::string& target); // throws Error
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // The open descriptor of the temporary file. Whoever takes it over (releaseFd) closes it.
    int fd() const { return descriptor; }
    int releaseFd();
    const std::string& temporaryPath() const { return tempPath; }

    void write(const void* data, std::size_t size); // throws Error
    void commit();                                  // throws Error

private:
    std::string target;
    std::string tempPath;
    int descriptor = -1;
    int registration = -1; // with the crash clean-up
    bool committed = false;
};

} // namespace qev::render
