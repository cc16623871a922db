#include "tablebase/registry.h"

#include <algorithm>
#include <vector>

#include "tablebase/blockcache.h"
#include "tablebase/index.h"
#include "tablebase/problems.h"

namespace halberd::tablebase {

namespace {

struct Registry {
    std::array<std::array<TableFile, 2>, ClassCount + 1> files;
    int level = 0;
};

Registry registry;

std::vector<std::string> splitDirectories(std::string_view list) {
    std::vector<std::string> directories;
    if (list.empty()) return {std::string()};  // the current directory
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = list.find_first_of(",:;", start);
        const std::string_view directory = list.substr(start, end == std::string_view::npos ? list.npos : end - start);
        // An empty entry inside a list (";;" or a trailing ";") is no directory.
        if (!directory.empty()) directories.emplace_back(directory);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return directories;
}

int levelOf(int highestClass) {
    if (highestClass > 35) return 5;
    if (highestClass > 5) return 4;
    return highestClass > 0 ? 3 : 0;
}

void closeFile(TableFile& file) {
    file.descriptor.store(-1, std::memory_order_relaxed);
    file.file.reset();
}

void forgetRegistrations() {
    for (auto& sides : registry.files)
        for (TableFile& file : sides) {
            file.path.clear();
            file.bytes = 0;
            closeFile(file);
            file.compressed.reset();
        }
    registry.level = 0;
}

// The counts a class name spells must give the class back from the lookup
// (as it is, or with the sides exchanged).
bool nameMatchesLookup(int cls) {
    std::array<std::array<int, 5>, 2> men{};
    if (!namedMaterial(tableClass(cls).name, men)) return false;
    MaterialCounts counts{}, exchanged{};
    for (int type = 0; type < 5; ++type) {
        counts[type] = exchanged[BlackCounts + type] = men[0][type];
        counts[BlackCounts + type] = exchanged[type] = men[1][type];
    }
    return classLookup(counts) == cls || classLookup(exchanged) == -cls;
}

bool report(const std::string& line) {
    reportProblem(line);
    return false;
}

bool registerFile(int cls, int side, const std::string& path, std::uint64_t bytes,
                  std::unique_ptr<const emd::EmdDescriptor> compressed) {
    if (!nameMatchesLookup(cls)) return report("*** Unable to register " + path + "\n");
    TableFile& entry = registry.files[cls][side];
    entry.path = path;
    entry.bytes = bytes;
    entry.compressed = std::move(compressed);
    return true;
}

}  // namespace

bool registerPlainFile(int cls, int side, const std::string& path) {
    // A missing file, or something that is no regular file, is no table.
    const files::RegularFile opened = files::openRegularFile(path);
    if (!opened.file) return false;
    if (opened.bytes != tableClass(cls).size[side]) return report("*** " + path + " corrupted\n");
    return registerFile(cls, side, path, opened.bytes, nullptr);
}

bool registerCompressedFile(int cls, int side, const std::string& path) {
    const files::RegularFile opened = files::openRegularFile(path);
    if (!opened.file) return false;
    auto descriptor = std::make_unique<emd::EmdDescriptor>();
    const emd::EmdFault fault = emd::describeEmdFile(opened.file.get(), *descriptor);
    if (fault == emd::EmdFault::UnsupportedBlock) {
        return report("*** " + path + ": Unsupported block size " + std::to_string(descriptor->blockValues()) + "\n");
    }
    if (fault != emd::EmdFault::None) {
        return report("*** Unable to read " + path + " - " + emd::faultReason(fault) + "\n");
    }
    if (descriptor->totalLength() != tableClass(cls).size[side]) return report("*** " + path + " corrupted\n");
    return registerFile(cls, side, path, opened.bytes, std::move(descriptor));
}

namespace {

// The plain table when the file is there (damaged or not); otherwise the
// compressed one, named "kqkr.nbw.emd" or "kqkrnbw.emd".
bool registerAnyFile(int cls, int side, const std::string& stem, const std::string& extension) {
    const std::string plain = stem + "." + extension;
    if (files::openRegularFile(plain).file) return registerPlainFile(cls, side, plain);
    for (const std::string& path : {plain + ".emd", stem + extension + ".emd"})
        if (files::openRegularFile(path).file) return registerCompressedFile(cls, side, path);
    return false;
}

}  // namespace

int initialise(std::string_view directories, std::int64_t cacheBytes) {
    releaseCache();
    forgetRegistrations();
    rawTableSize(1, 0);  // builds the index tables now rather than at the first probe
    int highestClass = 0;
    for (const std::string& directory : splitDirectories(directories))
        for (int cls = 1; cls <= ClassCount; ++cls)
            for (int side = 0; side < 2; ++side) {
                if (!registry.files[cls][side].path.empty()) continue;  // the first directory wins
                const std::string stem = directory + (directory.empty() || directory.back() == '/' ? "" : "/") +
                                         std::string(tableClass(cls).name);
                const std::string extension = side == 0 ? "nbw" : "nbb";
                if (registerAnyFile(cls, side, stem, extension)) highestClass = std::max(highestClass, cls);
            }
    std::fprintf(stderr, "TbPath=<%.*s>\n", static_cast<int>(directories.size()), directories.data());
    // Without a cache no value can be read: the tables stay unregistered.
    if (!setUpCache(cacheBytes)) {
        forgetRegistrations();
        highestClass = 0;
    }
    registry.level = levelOf(highestClass);
    std::fprintf(stderr, "InitTb=%d\n", registry.level);
    std::fflush(stderr);
    return registry.level;
}

void release() {
    releaseCache();
    for (auto& sides : registry.files)
        for (TableFile& file : sides) closeFile(file);
}

int tablebaseLevel() { return registry.level; }

TableFile* registeredFile(int cls, int side) {
    if (cls < 1 || cls > ClassCount || side < 0 || side > 1) return nullptr;
    TableFile& file = registry.files[cls][side];
    return file.path.empty() ? nullptr : &file;
}

}  // namespace halberd::tablebase
