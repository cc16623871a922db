#include "tablebase/jobplan.h"

#include <functional>
#include <set>

#include "tablebase/material.h"
#include "tablebase/retrograde.h"

namespace halberd::tablebase {

std::vector<std::string> classesInMakingOrder(const std::vector<std::string>& names) {
    std::vector<std::string> order;
    std::set<std::string> placed;
    bool known = true;
    const std::function<void(const std::string&)> place = [&](const std::string& name) {
        if (placed.count(name) != 0) return;
        const auto material = parseMaterial(name);
        if (!material) {
            known = false;
            return;
        }
        placed.insert(name);
        for (const std::string& needed : conversionClasses(*material)) place(needed);
        order.push_back(name);
    };
    for (const std::string& name : names) place(name);
    return known ? order : std::vector<std::string>{};
}

std::string jobMakefile(const std::vector<std::string>& names) {
    const auto target = [](const std::string& name) { return std::string("$(TB)/").append(name).append(".nbb"); };
    std::string text =
        "# Endgame tables as independent jobs: make -f FILE -j JOBS [TB=DIR] [THREADS=N] [HALBERD=PROGRAM]\n"
        "# Each job makes one class from the files of the classes it needs.\n"
        "HALBERD ?= halberd\nTB ?= tb\nTHREADS ?= 1\n\nall:";
    for (const std::string& name : names) text.append(" ").append(target(name));
    text += "\n.PHONY: all\n";
    for (const std::string& name : classesInMakingOrder(names)) {
        text.append("\n").append(target(name)).append(":");
        for (const std::string& needed : conversionClasses(*parseMaterial(name)))
            text.append(" ").append(target(needed));
        text.append("\n\t$(HALBERD) tb make ").append(name).append(" -o $(TB) -j $(THREADS)\n");
    }
    return text;
}

}  // namespace halberd::tablebase
