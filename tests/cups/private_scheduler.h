#pragma once

// A private CUPS scheduler with a plotter emulator behind it, for tests that deliver for real:
//
//     PrivateScheduler scheduler;
//     bool skip = false;
//     std::string problem = scheduler.Start({0, 65536}, &skip);   // two plotters, one faulty
//     if (skip) GTEST_SKIP() << problem;
//     ASSERT_EQ(problem, "");
//     ASSERT_EQ(scheduler.AddRawQueue("q", scheduler.port(0)), "");
//     ... send to "q" ...; scheduler.Received(scheduler.port(0)) holds each job's bytes.
//
// Start points CUPS_SERVER (and libcups's cached choice on the calling thread) at the scheduler;
// Stop, or the destructor, stops both processes, removes their folder and restores CUPS_SERVER.
// Threads other than the caller's read CUPS_SERVER afresh, so workers find the scheduler too.
// Judge jobs by their job-state (FinalStateOfNewestJob): job-state-reasons vary between runs.

#include <cups/cups.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../temp_folder.h"

namespace kestrum::test {

inline const std::string kCupsScripts = std::string(KESTRUM_SOURCE_DIR) + "/tests/cups/";

inline std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs `command` through the shell; its standard output and exit status.
inline std::pair<std::string, int> RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {"", -1};
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// Waits for `done`; the limit only keeps a broken scheduler from hanging the suite.
inline bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Points libcups of this thread at `server`. libcups reads CUPS_SERVER once per thread and keeps
// it, so its cached choice is dropped as well.
class ServerOverride {
  public:
    ~ServerOverride() { Restore(); }
    void Set(const std::string& server) {
        if (!active_) {
            const char* old = std::getenv("CUPS_SERVER");
            hadOld_ = old != nullptr;
            old_ = old != nullptr ? old : "";
            active_ = true;
        }
        ::setenv("CUPS_SERVER", server.c_str(), 1);
        cupsSetServer(nullptr);
    }
    void Restore() {
        if (!active_) return;
        if (hadOld_)
            ::setenv("CUPS_SERVER", old_.c_str(), 1);
        else
            ::unsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
        active_ = false;
    }

  private:
    bool active_ = false;
    bool hadOld_ = false;
    std::string old_;
};

class PrivateScheduler {
  public:
    PrivateScheduler() = default;
    PrivateScheduler(const PrivateScheduler&) = delete;
    PrivateScheduler& operator=(const PrivateScheduler&) = delete;
    ~PrivateScheduler() { Stop(); }

    // Starts the scheduler and one emulated plotter per entry of `faultAfter`: 0 for a plotter
    // that takes every job whole, N for one that breaks each connection after N bytes. Empty on
    // success; otherwise what went wrong, with *skip set when the scheduler is not installed.
    std::string Start(const std::vector<int>& faultAfter, bool* skip) {
        *skip = false;
        auto [exports, status] =
            RunCommand(ShellQuote(kCupsScripts + "start-cupsd.sh") + " --owner " +
                       std::to_string(::getpid()) + " --lifetime 600");
        if (status == 77) {
            *skip = true;
            return "the CUPS scheduler (cupsd, Debian package cups) is not installed";
        }
        for (std::size_t at = 0; at < exports.size();) {
            std::size_t end = exports.find('\n', at);
            if (end == std::string::npos) end = exports.size();
            const std::string line = exports.substr(at, end - at);
            at = end + 1;
            if (line.rfind("export CUPS_SERVER=", 0) == 0) server_ = line.substr(19);
            if (line.rfind("export KESTRUM_CUPS_DIR=", 0) == 0) folder_ = line.substr(24);
        }
        if (status != 0 || server_.empty() || folder_.empty()) {
            return "start-cupsd.sh failed (status " + std::to_string(status) + ")";
        }
        override_.Set(server_);

        plotter_ = std::filesystem::path(folder_) / "plotter";
        // The system's interpreter: wrappers that pick one per folder cost seconds at each start.
        const std::string python =
            ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
        std::string command = python + " " + ShellQuote(kCupsScripts + "plotter_emulator.py") +
                              " --background --time-limit 600 --owner " +
                              std::to_string(::getpid()) + " --folder " +
                              ShellQuote(plotter_.string());
        for (int fault : faultAfter) {
            command += fault > 0 ? " --port 0:drop=" + std::to_string(fault) : " --port 0";
        }
        auto [lines, started] = RunCommand(command);
        int requested = 0, actual = 0;
        for (const char* at = lines.c_str();
             at != nullptr && std::sscanf(at, "PORT %d %d", &requested, &actual) == 2;) {
            ports_.push_back(actual);
            at = std::strchr(at, '\n');
            if (at != nullptr) ++at;
        }
        if (started != 0 || ports_.size() != faultAfter.size()) {
            return "the plotter emulator did not start";
        }
        return {};
    }

    // A raw queue that sends its jobs to the emulator's `port` and aborts a job the plotter
    // fails, rather than stopping the queue. Empty on success.
    std::string AddRawQueue(const std::string& name, int port) {
        const std::string command = "lpadmin -p " + ShellQuote(name) +
                                    " -v socket://127.0.0.1:" + std::to_string(port) +
                                    " -E -o printer-error-policy=abort-job 2>&1";
        if (RunCommand(command).second != 0) return "lpadmin could not make queue " + name;
        return {};
    }

    std::string SetDefaultQueue(const std::string& name) {
        if (RunCommand("lpadmin -d " + ShellQuote(name) + " 2>&1").second != 0) {
            return "lpadmin could not make " + name + " the default queue";
        }
        return {};
    }

    // Stops the emulator and the scheduler; the emulator's files go with the scheduler's folder.
    void Stop() {
        if (!plotter_.empty()) {
            const std::string pid = ReadFile(plotter_ / "emulator.pid");
            if (const int id = std::atoi(pid.c_str()); id > 0) ::kill(id, SIGTERM);
        }
        if (!folder_.empty()) {
            (void)RunCommand(ShellQuote(kCupsScripts + "stop-cupsd.sh") + " " +
                             ShellQuote(folder_));
        }
        override_.Restore();
        folder_.clear();
        plotter_.clear();
        ports_.clear();
    }

    const std::string& server() const { return server_; }
    // The emulator's port for the plotter `index` of Start's list.
    int port(std::size_t index) const { return ports_.at(index); }

    // The jobs one plotter received, in arrival order: whole ones (".job"), or those it broke off
    // (".dropped").
    std::vector<std::filesystem::path> Received(int port, const char* suffix = ".job") const {
        std::map<std::string, std::filesystem::path> byName;
        const std::string prefix = std::to_string(port) + "-";
        for (const auto& entry : std::filesystem::directory_iterator(plotter_)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) == 0 && entry.path().extension() == suffix) {
                byName[name] = entry.path();
            }
        }
        std::vector<std::filesystem::path> files;
        for (auto& [name, path] : byName) files.push_back(path);
        return files;
    }

  private:
    std::string server_;
    std::string folder_;
    std::filesystem::path plotter_;
    std::vector<int> ports_;
    ServerOverride override_;
};

// The newest job of a queue and its job-state; {0, 0} when there is none.
inline std::pair<int, int> NewestJob(const char* queue) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue, 0, CUPS_WHICHJOBS_ALL);
    std::pair<int, int> newest{0, 0};
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id > newest.first) newest = {jobs[i].id, jobs[i].state};
    }
    cupsFreeJobs(count, jobs);
    return newest;
}

// Waits until the newest job of the queue has ended one way or another; its job-state
// (IPP_JSTATE_COMPLETED, IPP_JSTATE_CANCELED or IPP_JSTATE_ABORTED).
inline int FinalStateOfNewestJob(const char* queue) {
    int state = 0;
    WaitFor([&] {
        state = NewestJob(queue).second;
        return state >= IPP_JSTATE_CANCELED;
    });
    return state;
}

}  // namespace kestrum::test
