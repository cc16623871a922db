#pragma once
// A copy of the engine in a scratch directory of its own, so that a test can put
// a configuration file beside it and find its game log there.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace halberd::testing {

class InstalledEngine {
public:
    InstalledEngine() {
        std::string pattern = (std::filesystem::temp_directory_path() / "halberd-installed-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
        std::filesystem::copy_file(HALBERD_BINARY, program());
    }
    ~InstalledEngine() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    InstalledEngine(const InstalledEngine&) = delete;
    InstalledEngine& operator=(const InstalledEngine&) = delete;

    std::string program() const { return (dir_ / "halberd").string(); }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& dir() const { return dir_; }

    void writeFile(const std::string& name, const std::string& text) const {
        std::ofstream(file(name), std::ios::binary) << text;
    }
    void writeConfig(const std::string& text) const { writeFile("halberd.cfg", text); }
    std::string readFile(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The game log: the program path followed by ".log".
    std::string log() const { return readFile("halberd.log"); }

private:
    std::filesystem::path dir_;
};

}  // namespace halberd::testing
