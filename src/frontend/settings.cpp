#include "frontend/settings.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <mutex>

namespace halberd::frontend {

Settings& settings() {
    static Settings instance;
    return instance;
}

void setTablebaseCacheMegabytes(Settings& settings, int megabytes) {
    constexpr int MiB = 1 << 20;
    constexpr int MaxMegabytes = 2047;  // 2 GiB would not fit the int
    if (megabytes >= 1) settings.tbCacheBytes = std::min(megabytes, MaxMegabytes) * MiB;
}

bool appendTablebaseDirectory(std::string& tbPath, std::string_view directory) {
    if (directory.empty()) return true;
    const std::size_t separator = tbPath.empty() ? 0 : 1;
    if (tbPath.size() + separator + directory.size() > PathCapacity) {
        std::fprintf(stderr, "TbPath: %.*s does not fit in the directory list (%zu characters at most); not added\n",
                     static_cast<int>(directory.size()), directory.data(), PathCapacity);
        std::fflush(stderr);
        return false;
    }
    if (separator != 0) tbPath += ';';
    tbPath += directory;
    return true;
}

bool replaceOptionDirectories(Settings& settings, std::string_view directories) {
    std::string list = settings.tbPath;
    const std::string& old = settings.tbOptionPath;
    const std::size_t at = settings.tbOptionAt, end = at + old.size();
    // Only while the list still holds them where they were put, as whole entries.
    const bool present = !old.empty() && end <= list.size() && list.compare(at, old.size(), old) == 0 &&
                         (at == 0 || list[at - 1] == ';') && (end == list.size() || list[end] == ';');
    if (present) {
        if (at > 0)
            list.erase(at - 1, old.size() + 1);  // with the separator before them
        else
            list.erase(0, std::min(old.size() + 1, list.size()));  // with the one after them
    }
    if (!appendTablebaseDirectory(list, directories)) return false;
    settings.tbOptionPath = std::string(directories);
    settings.tbOptionAt = list.size() - directories.size();
    settings.tbPath = std::move(list);
    return true;
}

std::string directoryOfLink(std::string_view target) {
    const auto slash = target.rfind('/');
    if (slash == std::string_view::npos || slash + 1 > PathCapacity) return {};
    return std::string(target.substr(0, slash + 1));
}

std::string executableDirectory() {
    static std::mutex lock;
    static std::string cached;
    const std::lock_guard<std::mutex> guard(lock);
    if (!cached.empty()) return cached;
    const std::string link = "/proc/" + std::to_string(getpid()) + "/exe";
    // Read with room to spare so that a target longer than PathCapacity is seen
    // whole and rejected rather than silently cut.
    std::array<char, 4096> target{};
    const ssize_t length = readlink(link.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    cached = directoryOfLink(std::string_view(target.data(), static_cast<std::size_t>(length)));
    return cached;
}

std::string installedDataDirectory() {
    const std::string program = executableDirectory();
    return program.empty() ? std::string() : program + std::string(InstalledDataFromProgram);
}

}  // namespace halberd::frontend
