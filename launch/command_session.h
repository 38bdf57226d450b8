#pragma once

// The command interface's rules without a bus: one conversation at a time, bound to the client
// that opened it; the commands and items other programs use to fill the launch list and start a
// send; the busy mark that refuses changes while a client's send runs. A bus adaptor only
// translates its calls into these (the client identity is its unique bus name) and the answers
// back.
//
// Used on the user-interface thread only, like the launch list it changes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "launch/launch_list.h"
#include "launch/launch_status.h"

namespace kestrum {

enum class CommandAnswer : std::uint32_t {
    NotProcessed = 0,
    Acknowledged = 0x8000,
};

// What a session asks of the front end that holds it.
class CommandHost {
  public:
    virtual ~CommandHost() = default;
    // Hide the main window and show the persistent launch status window.
    virtual void ShowLaunchDialog() = 0;
    // Press the persistent status window's start/pause toggle once, which starts its waiting
    // send.
    virtual void StartSend() = 0;
    // A send started with the launcher's own send button is running: the list must not change
    // under it and no second send may start.
    virtual bool LocalSendRunning() const = 0;
};

class CommandSession {
  public:
    static constexpr std::string_view kServiceName = "Kestrum";
    static constexpr std::string_view kTopicName = "LaunchList";
    static constexpr std::string_view kClearLaunchList = "ClearLaunchList";
    static constexpr std::string_view kLaunchDialog = "LaunchDialog";
    static constexpr std::string_view kLaunchSend = "LaunchSend";
    static constexpr std::string_view kAddFile = "AddFile";
    static constexpr std::string_view kAssignConfig = "AssignConfig";
    // How much of a command, an item name and a value is read.
    static constexpr std::size_t kCommandBytes = 32;
    static constexpr std::size_t kItemBytes = 32;
    static constexpr std::size_t kValueBytes = 260;

    // Both must outlive the session.
    CommandSession(LaunchList& list, CommandHost& host) : list_(list), host_(host) {}

    // Opens the conversation for `client` when none is open and the service and topic match
    // exactly (case counts). An empty client identity is refused.
    bool Connect(std::string_view client, std::string_view service, std::string_view topic);
    // Ends `client`'s conversation: it disconnected, or it left the bus. Another client's
    // identity changes nothing.
    void Disconnect(std::string_view client);
    bool connected() const { return !client_.empty(); }
    const std::string& client() const { return client_; }

    // A command from `client`: the transaction data, read up to its first zero byte within
    // kCommandBytes. Only the conversation's own client is heard.
    CommandAnswer Execute(std::string_view client, std::span<const char> data);
    // A value poked into `item`: read up to its first zero byte; longer than kValueBytes is not
    // processed.
    CommandAnswer Poke(std::string_view client, std::string_view item, std::span<const char> data);

    // Set from an accepted "LaunchSend" until that send ends.
    bool busy() const { return busy_; }
    // The end-of-job notification of a send that went through.
    void EndOfJob() { busy_ = false; }
    // The persistent window finished a send that did not go through (cancel, failure, nothing to
    // send): its clearBusyMark lets the next client send.
    void SendEnded(const FinishAction& finish) {
        if (finish.clearBusyMark) busy_ = false;
    }

  private:
    bool Heard(std::string_view client) const { return connected() && client == client_; }
    // Changes to the list and new sends wait while any send runs.
    bool SendRunning() const { return busy_ || host_.LocalSendRunning(); }

    LaunchList& list_;
    CommandHost& host_;
    std::string client_;
    bool busy_ = false;
};

}  // namespace kestrum
