#pragma once
// Runs a program as a child process with its own standard input, output and error, for tests
// that use the command-line programs as a user would.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace dorive::test {

struct ProcessResult {
    int exit = -1;  // -1: killed after the time limit
    std::string out, err;
    double seconds = 0;
};

class Process {
  public:
    explicit Process(const std::vector<std::string>& argv, const std::string& input = {}) {
        int in[2], out[2], err[2];
        if (::pipe(in) || ::pipe(out) || ::pipe(err)) throw std::runtime_error("pipe");
        start_ = std::chrono::steady_clock::now();
        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        if (!input.empty()) [[maybe_unused]]
            auto n = ::write(in[1], input.data(), input.size());
        ::close(in[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Process() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
        if (err_ >= 0) ::close(err_);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }

    // One line of standard output (without its LF), waiting at most the limit.
    std::string readLine(int limitMs = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (result_.out.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end)
            pump(50);
        std::size_t lf = result_.out.find('\n');
        if (lf == std::string::npos) return {};
        std::string line = result_.out.substr(0, lf);
        result_.out.erase(0, lf + 1);
        return line;
    }

    // Collects the output until the process ends, killing it after the limit.
    ProcessResult wait(int limitMs = 60000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while ((out_ >= 0 || err_ >= 0) && std::chrono::steady_clock::now() < end) pump(100);
        int status = 0;
        if (out_ >= 0 || err_ >= 0) ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        result_.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        return result_;
    }

  private:
    void pump(int ms) {
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (::poll(fds, 2, ms) <= 0) return;
        for (int i = 0; i < 2; ++i) {
            if (!fds[i].revents) continue;
            char buffer[4096];
            ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            int& fd = i == 0 ? out_ : err_;
            if (n <= 0) {
                ::close(fd);
                fd = -1;
                continue;
            }
            (i == 0 ? result_.out : result_.err).append(buffer, std::size_t(n));
        }
    }

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    ProcessResult result_;
    std::chrono::steady_clock::time_point start_;
};

inline ProcessResult run(const std::vector<std::string>& argv, const std::string& input = {},
                         int limitMs = 60000) {
    return Process(argv, input).wait(limitMs);
}

}  // namespace dorive::test
