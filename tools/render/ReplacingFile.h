#pragma once

#include <string>

namespace qev::render
{

// A file that replaces `target` only once it is complete. The data goes to a hidden temporary
// file in the target's folder (so the final rename stays on one file system and is atomic);
// commit() renames it over the target. Destroying an uncommitted ReplacingFile removes the
// temporary, so a failure never leaves a half-written file or clobbers an existing one; a crash
// removes it too (see Signals.h).
//
// A target that is a symbolic link is written through: the file it points to (after any chain
// of links, which need not exist yet) is the one replaced, and the link stays. A replaced file
// keeps its permission bits and, where the system allows, its owner and group; a new one gets
// 0666 less the umask. A target that exists but is not a regular file (a folder, a device, a
// pipe) or a loop of links is refused with Error before anything is created.
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
    void takeOverPermissions();

    std::string target;      // as given, for messages
    std::string destination; // the file actually replaced: `target` with its links followed
    std::string tempPath;
    int descriptor = -1;
    int registration = -1; // with the crash clean-up
    bool committed = false;
};

} // namespace qev::render
