#pragma once
// A set of classes as independent jobs in dependency order, written as a
// makefile: GNU make runs them (make -j N side by side on one machine), and
// any batch runner that reads dependencies can share them among machines.
#include <string>
#include <vector>

namespace halberd::tablebase {

// The classes and every class their captures and promotions lead into, each
// after all it needs; empty when a name is no class.
std::vector<std::string> classesInMakingOrder(const std::vector<std::string>& names);

// A makefile with one rule per class of classesInMakingOrder: its target is
// the class's second file (the generator writes it last), its prerequisites
// those of the classes it needs. HALBERD, TB (the table directory) and
// THREADS (per job) may be set on make's command line.
std::string jobMakefile(const std::vector<std::string>& names);

}  // namespace halberd::tablebase
