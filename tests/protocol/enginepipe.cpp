#include "enginepipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace halberd::testing {

namespace {

void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

EnginePipe::EnginePipe(std::vector<std::string> arguments)
    : EnginePipe(Program{HALBERD_BINARY}, std::move(arguments)) {}

EnginePipe::EnginePipe(Program program, std::vector<std::string> arguments) {
    // A write to an engine that has ended must fail, not kill the test.
    std::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
        // The engine starts with the signal dispositions a GUI would give it.
        std::signal(SIGPIPE, SIG_DFL);
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        std::vector<char*> argv;
        argv.push_back(program.path.data());
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(program.path.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    stderr_fd_ = err[0];
    fcntl(stdout_, F_SETFL, O_NONBLOCK);
    fcntl(stderr_fd_, F_SETFL, O_NONBLOCK);
}

EnginePipe::~EnginePipe() {
    closeFd(stdin_);
    if (!status_ && pid_ > 0) {
        if (!waitExit(2s)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    closeFd(stdout_);
    closeFd(stderr_fd_);
}

void EnginePipe::send(std::string_view line) {
    std::string text(line);
    text += '\n';
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(stdin_, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

void EnginePipe::closeInput() { closeFd(stdin_); }

void EnginePipe::closeOutput() { closeFd(stdout_); }

void EnginePipe::signal(int number) { kill(pid_, number); }

bool EnginePipe::pump(std::chrono::milliseconds timeout) {
    std::array<pollfd, 2> fds{{{stdout_, POLLIN, 0}, {stderr_fd_, POLLIN, 0}}};
    if (poll(fds.data(), fds.size(), static_cast<int>(timeout.count())) <= 0) return false;
    bool got = false;
    std::array<char, 8192> chunk{};
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
        const ssize_t n = read(fds[i].fd, chunk.data(), chunk.size());
        if (n > 0) {
            (i == 0 ? stdoutBuffer_ : stderr_).append(chunk.data(), static_cast<std::size_t>(n));
            got = true;
        } else if (n == 0) {
            closeFd(i == 0 ? stdout_ : stderr_fd_);
        }
    }
    return got || stdout_ < 0 || stderr_fd_ < 0;
}

std::optional<std::string> EnginePipe::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto newline = stdoutBuffer_.find('\n'); newline != std::string::npos) {
            std::string line = stdoutBuffer_.substr(0, newline);
            stdoutBuffer_.erase(0, newline + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= 0ms || (stdout_ < 0 && stderr_fd_ < 0)) return std::nullopt;
        pump(left);
        if (stdout_ < 0 && stdoutBuffer_.find('\n') == std::string::npos) return std::nullopt;
    }
}

std::vector<std::string> EnginePipe::exchange(std::string_view line) {
    const std::string pong = "pong " + std::to_string(++pingCounter_);
    send(line);
    send("ping " + std::to_string(pingCounter_));
    std::vector<std::string> lines;
    while (auto reply = readLine()) {
        if (*reply == pong) return lines;
        lines.push_back(*reply);
    }
    lines.push_back("<no " + pong + ">");
    return lines;
}

bool EnginePipe::stderrContains(std::string_view text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (stderr_.find(text) == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= 0ms || stderr_fd_ < 0) return stderr_.find(text) != std::string::npos;
        pump(left);
    }
    return true;
}

std::optional<int> EnginePipe::waitExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!status_) {
        int raw = 0;
        const pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
            // What the engine wrote just before it ended may still sit in the
            // pipes: read them to their end, which its exit has closed.
            while ((stdout_ >= 0 || stderr_fd_ >= 0) && pump(100ms)) {}
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        // Keep the pipes drained so that the engine never blocks on a full one.
        if (!pump(20ms)) usleep(1000);
    }
    return status_;
}

}  // namespace halberd::testing
