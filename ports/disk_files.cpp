#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "ports/files.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dorive {

namespace {

std::string reason(int err) {
    return err ? std::string(" ") + std::strerror(err) : std::string();
}

#ifndef _WIN32
// Writes all bytes to an open descriptor; false with errno set on failure.
bool writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= std::size_t(n);
    }
    return true;
}
#endif

}  // namespace

std::string DiskFiles::read(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw FileError("Cannot open file \"" + path + "\". It is a folder.");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError("Cannot open file \"" + path + "\"." + reason(errno));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw FileError("Cannot read file \"" + path + "\"." + reason(errno));
    return bytes;
}

bool DiskFiles::exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

void DiskFiles::write(const std::string& path, std::string_view bytes) {
    auto failure = [&path](int err) {
        return FileError("Cannot create file \"" + path + "\"." + reason(err));
    };
#ifndef _WIN32
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) throw failure(errno);
    // Keep the permissions an ordinary new file would get.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        throw failure(err);
    }
#else
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw failure(errno);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            throw failure(errno);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        throw FileError("Cannot create file \"" + path + "\". " + ec.message());
    }
#endif
}

Files& diskFiles() {
    static DiskFiles disk;
    return disk;
}

}  // namespace dorive
