#include "files/regularfile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halberd::files {

RegularFile openRegularFile(const std::string& path, std::uint64_t expectedBytes) {
    // Without O_NONBLOCK, opening a FIFO for reading waits for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat status {};
    const bool usable = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= 0 &&
                        (expectedBytes == AnyLength || static_cast<std::uint64_t>(status.st_size) == expectedBytes);
    // Reads of a regular file do not block anyway; the flag goes so that the
    // stream sees an ordinary descriptor.
    const int flags = usable ? ::fcntl(fd, F_GETFL) : -1;
    std::FILE* file = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? ::fdopen(fd, "rb") : nullptr;
    if (file == nullptr) {
        ::close(fd);
        return {};
    }
    return {FileHandle(file), static_cast<std::uint64_t>(status.st_size)};
}

bool readAt(int descriptor, std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got =
            ::pread(descriptor, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace halberd::files
