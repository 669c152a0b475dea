#include "common/file_text.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

#include "common/paths.h"
#include "common/read_error.h"

namespace rivulon {

namespace {

int openInput(const std::string& path) {
    if (const std::string problem = inputFileProblem(path); !problem.empty())
        throw FileError(problem);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(systemError("Cannot open", path));
    return fd;
}

// Reads what is left of an open file (closing it) into `content`.
void readRest(int fd, const std::string& path, std::string& content) {
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
}

// An open file's bytes, read into a string sized from its length (closing it).
std::string readOpenFile(int fd, const std::string& path, off_t size) {
    std::string content;
    if (size > 0)
        content.reserve(static_cast<std::size_t>(size));
    readRest(fd, path, content);
    return content;
}

// Files below this size are read: mapping costs more than copying a few pages.
constexpr off_t kMapFrom = 64 * 1024;

}  // namespace

std::string readWholeFile(const std::string& path) {
    // Plain reads into a string sized from fstat: a stream copy costs more than
    // parsing a short input file.
    const int fd = openInput(path);
    struct stat st {};
    return readOpenFile(fd, path, ::fstat(fd, &st) == 0 ? st.st_size : 0);
}

FileText::FileText(std::string bytes)
    : owned_(std::make_unique<std::string>(std::move(bytes))), view_(*owned_) {}

FileText::FileText(FileText&& other) noexcept
    : owned_(std::move(other.owned_)),
      map_(std::exchange(other.map_, nullptr)),
      mapLength_(std::exchange(other.mapLength_, 0)),
      view_(std::exchange(other.view_, {})) {}

FileText& FileText::operator=(FileText&& other) noexcept {
    if (this != &other) {
        release();
        owned_ = std::move(other.owned_);
        map_ = std::exchange(other.map_, nullptr);
        mapLength_ = std::exchange(other.mapLength_, 0);
        view_ = std::exchange(other.view_, {});
    }
    return *this;
}

FileText::~FileText() {
    release();
}

void FileText::release() noexcept {
    if (map_ != nullptr)
        ::munmap(map_, mapLength_);
    map_ = nullptr;
    mapLength_ = 0;
    owned_.reset();
    view_ = {};
}

FileText FileText::read(const std::string& path) {
    const int fd = openInput(path);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= kMapFrom &&
        static_cast<std::uintmax_t>(st.st_size) <= SIZE_MAX) {
        const auto length = static_cast<std::size_t>(st.st_size);
        // Populated at once: the pages are in the page cache, and one call
        // maps them all instead of a fault per page.
        void* p = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (p != MAP_FAILED) {
            ::close(fd);
            FileText text;
            text.map_ = p;
            text.mapLength_ = length;
            text.view_ = std::string_view(static_cast<const char*>(p), length);
            return text;
        }
    }
    return FileText(readOpenFile(fd, path, st.st_size));
}

}  // namespace rivulon
