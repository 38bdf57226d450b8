#pragma once

// kestrum-cli remote: drives a running desktop program through its command interface on the
// session bus, in one conversation.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace kestrum::cli {

// Exit codes of `remote` beyond the common ones.
inline constexpr int kExitRefused = 3;    // a transaction was not processed
inline constexpr int kExitNoProgram = 4;  // nobody answers, or the conversation was refused
inline constexpr int kExitJobFailed = 5;  // --wait: cancelled, failed or nothing sent

struct RemoteFile {
    std::string path;
    std::string configuration;  // empty: no AssignConfig poke
    bool assign = false;
};

struct RemoteArguments {
    CLI::App* command = nullptr;
    bool clear = false;
    bool dialog = false;
    bool send = false;
    bool wait = false;
    std::vector<std::string> adds;
    std::vector<std::string> assigns;
};

void AddRemoteCommand(CLI::App& app, RemoteArguments& args);

// Runs on the calling thread and blocks until the conversation (and with --wait the job) ends.
int RunRemote(RemoteArguments& args);

}  // namespace kestrum::cli
