#pragma once
// Whole-file access for settings, logs, parameter files and SIM images. Writes replace the
// target atomically: the bytes go to a temporary file in the same folder, are flushed to the
// disk, and only then take the target's name, so a failed write never destroys the old file.
#include <stdexcept>
#include <string>
#include <string_view>

namespace dorive {

// A file could not be read or written; the text names the file and the reason.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Files {
  public:
    virtual ~Files() = default;
    // The whole file as bytes. Throws FileError when it cannot be opened or read.
    virtual std::string read(const std::string& path) = 0;
    // Replaces the file with the bytes (creating it). Throws FileError, leaving any earlier
    // file untouched.
    virtual void write(const std::string& path, std::string_view bytes) = 0;
    virtual bool exists(const std::string& path) = 0;
};

// The machine's file system.
class DiskFiles : public Files {
  public:
    std::string read(const std::string& path) override;
    void write(const std::string& path, std::string_view bytes) override;
    bool exists(const std::string& path) override;
};

// The process-wide disk, for front ends that need no other.
Files& diskFiles();

}  // namespace dorive
