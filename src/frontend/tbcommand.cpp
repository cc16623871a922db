#include "frontend/tbcommand.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tablebase/generator.h"
#include "tablebase/jobplan.h"
#include "tablebase/material.h"
#include "tablebase/parallelparts.h"
#include "tablebase/tablefiles.h"
#include "tablebase/verifier.h"

namespace halberd::frontend {

std::optional<TbRequest> parseTbArguments(std::span<const std::string_view> arguments) {
    if (!arguments.empty() && arguments[0] == "compress") {
        TbRequest request;
        for (const std::string_view file : arguments.subspan(1)) request.files.emplace_back(file);
        if (request.files.empty()) return std::nullopt;
        return request;
    }
    if (arguments.empty() || (arguments[0] != "make" && arguments[0] != "verify" && arguments[0] != "plan"))
        return std::nullopt;
    TbRequest request;
    request.verify = arguments[0] == "verify";
    request.plan = arguments[0] == "plan";
    const std::string_view directoryFlag = request.verify ? "-d" : "-o";
    std::vector<std::string> words;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (request.plan && arguments[i].starts_with('-')) return std::nullopt;  // make's own variables say those
        if (arguments[i] == directoryFlag) {
            if (i + 1 >= arguments.size()) return std::nullopt;
            request.directory = std::string(arguments[++i]);
            continue;
        }
        if (!request.verify && arguments[i] == "--compress") {
            request.compress = true;
            continue;
        }
        if (arguments[i] == "-j") {
            constexpr int MaxThreads = 256;
            const std::string_view count = i + 1 < arguments.size() ? arguments[++i] : std::string_view();
            int threads = 0;
            const auto [end, fault] = std::from_chars(count.data(), count.data() + count.size(), threads);
            if (fault != std::errc() || end != count.data() + count.size() || threads < 1 || threads > MaxThreads)
                return std::nullopt;
            request.threads = threads;
            continue;
        }
        std::string word(arguments[i]);
        for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool listWord = word == "all4" || word == "all5" || word == "all";
        if (!listWord && !tablebase::parseMaterial(word)) return std::nullopt;
        words.push_back(word);
    }
    request.classes = tablebase::expandClassNames(words);
    if (request.classes.empty()) return std::nullopt;
    return request;
}

namespace {

int compressFiles(const std::vector<std::string>& files) {
    int status = 0;
    for (const std::string& file : files) {
        tablebase::CompressReport report;
        std::string error;
        std::error_code missing;
        if (!std::filesystem::exists(file, missing)) {
            std::printf("tb: %s: %s\n", file.c_str(), std::strerror(missing ? missing.value() : ENOENT));
            status = 1;
        } else if (!tablebase::compressTableFile(file, report, error)) {
            std::printf("tb: %s\n", error.c_str());
            status = 1;
        } else {
            std::printf("%s.emd: %llu -> %llu bytes (%.2f%%), %.2f s of processor time\n", file.c_str(),
                        static_cast<unsigned long long>(report.plainBytes),
                        static_cast<unsigned long long>(report.compressedBytes),
                        100.0 * static_cast<double>(report.compressedBytes) / static_cast<double>(report.plainBytes),
                        report.seconds);
        }
        std::fflush(stdout);
    }
    return status;
}

}  // namespace

int runTbWord(std::span<const std::string_view> arguments) {
    const auto request = parseTbArguments(arguments);
    if (!request) {
        std::fputs(
            "usage: halberd tb make CLASS... [-o DIR] [--compress] [-j THREADS]   (CLASS such as kqk or kbnk, all4 = "
            "every 3- and 4-man class, all5 = every 5-man class, all = every class; all processors unless -j)\n"
            "       halberd tb verify CLASS... [-d DIR] [-j THREADS]\n"
            "       halberd tb compress FILE...   (plain .nbw/.nbb tables; writes FILE.emd)\n"
            "       halberd tb plan CLASS...   (a makefile of one job per class in dependency order)\n",
            stderr);
        return 2;
    }
    if (!request->files.empty()) return compressFiles(request->files);
    if (request->plan) {
        std::fputs(tablebase::jobMakefile(request->classes).c_str(), stdout);
        return 0;
    }
    const int threads = request->threads > 0 ? request->threads : tablebase::threadsAvailable();
    if (!request->verify) {
        std::error_code error;
        if (!request->directory.empty()) std::filesystem::create_directories(request->directory, error);
        tablebase::Generator generator(request->directory, stderr, stdout, request->compress, threads);
        for (const std::string& name : request->classes)
            if (!generator.make(name)) return 1;
        return 0;
    }
    int status = 0;
    for (const std::string& name : request->classes) {
        const tablebase::VerifyReport report = tablebase::verifyClass(name, request->directory, stderr, threads);
        if (!report.error.empty()) {
            std::printf("%s: %s\n", name.c_str(), report.error.c_str());
            std::fflush(stdout);
            status = 1;
            continue;
        }
        std::printf("%s: %llu positions, %llu inconsistencies\n", name.c_str(),
                    static_cast<unsigned long long>(report.positions),
                    static_cast<unsigned long long>(report.inconsistencies));
        for (const std::string& example : report.examples) std::printf("  %s\n", example.c_str());
        std::fflush(stdout);
        if (report.inconsistencies != 0) status = 1;
    }
    return status;
}

}  // namespace halberd::frontend
