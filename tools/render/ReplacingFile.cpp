#include "tools/render/ReplacingFile.h"

#include "tools/render/Error.h"
#include "tools/render/TemporaryFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace qev::render
{

namespace
{

std::string failure(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

// The same limit on a chain of links as the system's own path lookup.
constexpr int kMaxLinks = 40;

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// `path` with its last component's symbolic links followed; the end of the chain may not exist.
std::string followLinks(const std::string& path)
{
    std::string current = path;
    for (int links = 0;; ++links)
    {
        struct stat status = {};
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        if (links == kMaxLinks)
        {
            errno = ELOOP;
            throw Error(failure("cannot write", path));
        }
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t length = readlink(current.c_str(), buffer.data(), PATH_MAX);
        if (length < 0)
            throw Error(failure("cannot write", path));
        const std::string link(buffer.data(), static_cast<std::size_t>(length));
        current = link[0] == '/' ? link : folderOf(current) + link;
    }
}

// The process's umask, read once: reading it means setting it, which must not race with
// other threads creating files.
mode_t creationMask()
{
    static const mode_t mask = []
    {
        const mode_t value = umask(0);
        umask(value);
        return value;
    }();
    return mask;
}

} // namespace

ReplacingFile::ReplacingFile(const std::string& target)
    : target(target), destination(followLinks(target))
{
    creationMask();
    const std::size_t slash = destination.rfind('/');
    const std::string name =
        slash == std::string::npos ? destination : destination.substr(slash + 1);
    if (name.empty())
        throw Error("not a file name: " + target);
    struct stat status = {};
    if (stat(destination.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        throw Error("cannot write " + target + ": " +
                    (S_ISDIR(status.st_mode) ? "it is a folder" : "it is not a regular file"));
    std::string pattern = folderOf(destination) + "." + name + ".tmp-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    descriptor = mkstemp(buffer.data());
    if (descriptor < 0)
        throw Error(failure("cannot create a file next to", target));
    tempPath = buffer.data();
    registration = temporaryFiles::remember(tempPath);
    takeOverPermissions();
}

void ReplacingFile::takeOverPermissions()
{
    struct stat status = {};
    if (stat(destination.c_str(), &status) != 0)
    {
        // mkstemp makes the file private; a new file gets the usual permissions.
        fchmod(descriptor, 0666 & ~creationMask());
        return;
    }
    // Only root may give a file away; anyone else keeps the new file as their own.
    if (fchown(descriptor, status.st_uid, status.st_gid) != 0)
        errno = 0;
    fchmod(descriptor, status.st_mode & 0777);
}

ReplacingFile::~ReplacingFile()
{
    if (descriptor >= 0)
        close(descriptor);
    if (!committed)
        unlink(tempPath.c_str());
    temporaryFiles::forget(registration);
}

int ReplacingFile::releaseFd()
{
    const int fd = descriptor;
    descriptor = -1;
    return fd;
}

void ReplacingFile::write(const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0)
    {
        const ssize_t written = ::write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw Error(failure("cannot write", target));
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void ReplacingFile::commit()
{
    if (descriptor >= 0)
    {
        const int result = close(descriptor);
        descriptor = -1;
        if (result != 0)
            throw Error(failure("cannot write", target));
    }
    if (std::rename(tempPath.c_str(), destination.c_str()) != 0)
        throw Error(failure("cannot write", target));
    committed = true;
}

} // namespace qev::render
