#include "frontend/tablebases.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/uci.h"
#include "tablebase/classes.h"
#include "tablebase/problems.h"
#include "tablebase/registry.h"
#include "tablebase/searchprobe.h"

namespace halberd::frontend {

int tbFileCount = 0;
bool tbActive = false;

namespace {

// A UCI interface shows info strings, not standard error.
void tellUciInterface(const std::string& line) {
    if (uciMode.load() != 0) uciInfoString(std::string_view(line).substr(0, line.find('\n')));
}

}  // namespace

int startTablebases() {
    tablebase::setProblemWriter(tellUciInterface);
    tablebase::release();
    tbFileCount = tablebase::initialise(settings().tbPath, settings().tbCacheBytes);
    tbActive = true;
    tablebase::connectSearch(tbFileCount);
    return tbFileCount;
}

namespace {

int registeredFileCount() {
    int files = 0;
    for (int cls = 1; cls <= tablebase::ClassCount; ++cls)
        for (int side = 0; side < 2; ++side)
            if (const tablebase::TableFile* file = tablebase::registeredFile(cls, side); file && !file->path.empty())
                ++files;
    return files;
}

}  // namespace

std::string tableCountText() {
    // Directories in the order their first file was registered.
    std::vector<std::pair<std::string, int>> places;
    int files = 0;
    for (int cls = 1; cls <= tablebase::ClassCount; ++cls)
        for (int side = 0; side < 2; ++side) {
            const tablebase::TableFile* file = tablebase::registeredFile(cls, side);
            if (file == nullptr || file->path.empty()) continue;
            ++files;
            const std::string directory = file->path.substr(0, file->path.find_last_of('/') + 1);
            const auto place = std::find_if(places.begin(), places.end(),
                                            [&](const auto& known) { return known.first == directory; });
            if (place == places.end())
                places.emplace_back(directory, 1);
            else
                ++place->second;
        }
    if (files == 0) return "tablebases: no table files in " + settings().tbPath;
    std::string text = "tablebases: " + std::to_string(files) + " files (" +
                       std::to_string(tablebase::tablebaseLevel()) + " men):";
    for (std::size_t i = 0; i < places.size(); ++i)
        text += (i == 0 ? " " : ", ") + std::to_string(places[i].second) + " in " +
                (places[i].first.empty() ? std::string("the current directory") : places[i].first);
    return text;
}

void tellTablesFound() {
    if (registeredFileCount() > 0) tellTableCount();
}

void tellTableCount() {
    if (uciMode.load() != 0)
        uciInfoString(tableCountText());
    else
        writeReply("# " + tableCountText() + "\n");
}

}  // namespace halberd::frontend
