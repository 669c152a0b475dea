#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/paths.h"
#include "common/read_error.h"

namespace rivulon {

namespace {

std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    std::string pattern = dirOfPath(path) + "." + fileNameOf(path) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw FileError(systemError("Cannot create a file next to", path));
    const std::string tmp(name.data());

    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const std::string msg = systemError("Cannot write", path);
            ::close(fd);
            ::unlink(tmp.c_str());
            throw FileError(msg);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // Files we replace keep ordinary permissions rather than mkstemp's 0600.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const std::string msg = systemError("Cannot write", path);
        ::unlink(tmp.c_str());
        throw FileError(msg);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        const std::string msg = systemError("Cannot replace", path);
        ::unlink(tmp.c_str());
        throw FileError(msg);
    }
}

std::string readWholeFile(const std::string& path) {
    if (const std::string problem = inputFileProblem(path); !problem.empty())
        throw FileError(problem);
    // Plain reads into a string sized from fstat: a stream copy costs more than
    // parsing a short input file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(systemError("Cannot open", path));
    struct stat st {};
    std::string content;
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        content.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            throw FileError("Cannot read " + path);
        }
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

}  // namespace rivulon
