#pragma once

#include <filesystem>
#include <string>

#include <unistd.h>

#include "common/atomic_file.h"

namespace rivulon::testing {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("rivulon_project_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string dir() const { return path_.string() + "/"; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const {
        writeFileAtomically(file(name), bytes);
        return file(name);
    }
    // A copy of a file of the test data folder.
    std::string copy(const std::string& dataName, const std::string& name) const {
        std::filesystem::copy_file(std::string(RIVULON_TEST_DATA) + "/" + dataName, file(name),
                                   std::filesystem::copy_options::overwrite_existing);
        return file(name);
    }

  private:
    std::filesystem::path path_;
};

inline std::string dataPath(const std::string& name) {
    return std::string(RIVULON_TEST_DATA) + "/" + name;
}

}  // namespace rivulon::testing
