#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace rivulon {

// Reads a whole file. Throws FileError naming the file when it cannot.
std::string readWholeFile(const std::string& path);

// The bytes of a file for a reader that parses them once. A large regular
// file is mapped read-only from the page cache: no copy, and no fresh memory
// to fill, which for a century of weather is a good part of a run's time.
// Smaller files, and files that cannot be mapped, are read into memory. The
// bytes stay where they are when the FileText is moved.
//
// A mapped file that another program shortens while it is mapped cannot be
// read past its new end: keep a FileText only while parsing.
class FileText {
  public:
    FileText() = default;
    explicit FileText(std::string bytes);
    FileText(FileText&& other) noexcept;
    FileText& operator=(FileText&& other) noexcept;
    FileText(const FileText&) = delete;
    FileText& operator=(const FileText&) = delete;
    ~FileText();

    // Throws FileError naming the file when it cannot be read.
    static FileText read(const std::string& path);

    std::string_view view() const { return view_; }
    std::size_t size() const { return view_.size(); }
    bool mapped() const { return map_ != nullptr; }

  private:
    void release() noexcept;

    std::unique_ptr<std::string> owned_;
    void* map_ = nullptr;
    std::size_t mapLength_ = 0;
    std::string_view view_;
};

}  // namespace rivulon
