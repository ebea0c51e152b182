#include "tools/render/ReplacingFile.h"

#include "tools/render/Error.h"
#include "tools/render/TemporaryFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

} // namespace

ReplacingFile::ReplacingFile(const std::string& target) : target(target)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty())
        throw Error("not a file name: " + target);
    std::string pattern = folder + "." + name + ".tmp-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    descriptor = mkstemp(buffer.data());
    if (descriptor < 0)
        throw Error(failure("cannot create a file next to", target));
    tempPath = buffer.data();
    registration = temporaryFiles::remember(tempPath);
    // mkstemp makes the file private; the result should get the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
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
    if (std::rename(tempPath.c_str(), target.c_str()) != 0)
        throw Error(failure("cannot write", target));
    committed = true;
}

} // namespace qev::render
