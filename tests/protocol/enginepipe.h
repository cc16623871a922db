#pragma once
// Starts the real engine binary and talks to it over pipes: lines to its
// standard input, lines from its standard output and error, signals, exit status.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halberd::testing {

using namespace std::chrono_literals;

// The path of an engine binary other than the one built here (a copy placed
// beside its own configuration file).
struct Program {
    std::string path;
};

class EnginePipe {
public:
    explicit EnginePipe(std::vector<std::string> arguments = {});
    EnginePipe(Program program, std::vector<std::string> arguments);
    ~EnginePipe();
    EnginePipe(const EnginePipe&) = delete;
    EnginePipe& operator=(const EnginePipe&) = delete;

    // Writes the text and a newline.
    void send(std::string_view line);
    void closeInput();
    // Closes the reading end of the engine's standard output, as a GUI that quits does.
    void closeOutput();
    void signal(int number);

    // The next standard-output line without its newline, or nothing on timeout.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = 10s);
    // Sends the line, then "ping N", and returns the lines printed before "pong N":
    // everything the command printed, or an empty list when it printed nothing.
    std::vector<std::string> exchange(std::string_view line);
    // Waits for a standard-error line that contains the text.
    bool stderrContains(std::string_view text, std::chrono::milliseconds timeout = 10s);
    const std::string& stderrText() const { return stderr_; }

    // The exit status, -signal when killed by one, nothing when still running.
    std::optional<int> waitExit(std::chrono::milliseconds timeout = 10s);

private:
    // Moves available output into the buffers; false when nothing came in time.
    bool pump(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    int stderr_fd_ = -1;
    std::string stdoutBuffer_;
    std::string stderr_;
    int pingCounter_ = 0;
    std::optional<int> status_;
};

}  // namespace halberd::testing
