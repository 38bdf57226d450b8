#include "cli/remote_command.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/cli_commands.h"

namespace kestrum::cli {

namespace {

constexpr const char* kService = "org.kestrum.Kestrum";
constexpr const char* kObject = "/LaunchList";
constexpr const char* kInterface = "org.kestrum.LaunchList";
constexpr unsigned kAcknowledged = 0x8000;

// Pairs each --assign with the --add before it, in the order the options were given.
Result<std::vector<RemoteFile>> PairFiles(const RemoteArguments& args) {
    std::vector<RemoteFile> files;
    std::size_t add = 0;
    std::size_t assign = 0;
    for (const CLI::Option* option : args.command->parse_order()) {
        if (option->get_name() == "--add") {
            files.push_back({args.adds.at(add++), {}, false});
        } else if (option->get_name() == "--assign") {
            if (files.empty() || files.back().assign) {
                return Error{"--assign must follow the --add of the file it belongs to"};
            }
            files.back().configuration = args.assigns.at(assign++);
            files.back().assign = true;
        }
    }
    return files;
}

// The program runs elsewhere, in its own working directory: paths go over as absolute paths.
// A configuration that names no file is sent as it is (the marker texts).
std::string Absolute(const std::string& path, bool onlyWhenExisting) {
    std::error_code error;
    if (onlyWhenExisting && !std::filesystem::exists(path, error)) return path;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

class Conversation {
  public:
    explicit Conversation(QDBusConnection bus)
        : bus_(bus), launchList_(kService, kObject, kInterface, bus) {}

    // 0 when connected, else the exit code.
    int Open() {
        QDBusReply<bool> accepted = launchList_.call(QStringLiteral("Connect"));
        if (!accepted.isValid()) {
            PrintError("no Kestrum program answers on the session bus (" +
                       accepted.error().message().toStdString() +
                       "); start the desktop program first");
            return kExitNoProgram;
        }
        if (!accepted.value()) {
            PrintError(
                "the Kestrum program refused the conversation: another program is "
                "driving it; try again when it has finished");
            return kExitNoProgram;
        }
        open_ = true;
        return 0;
    }

    ~Conversation() {
        if (open_) launchList_.call(QStringLiteral("Disconnect"));
    }

    // 0 when acknowledged, else the exit code, with the refused transaction named.
    int Execute(const char* command) {
        QDBusReply<unsigned> answer =
            launchList_.call(QStringLiteral("Execute"), QString::fromUtf8(command));
        return Check(answer, std::string("command ") + command);
    }

    int Poke(const char* item, const std::string& value) {
        QDBusReply<unsigned> answer = launchList_.call(
            QStringLiteral("Poke"), QString::fromUtf8(item), QString::fromStdString(value));
        return Check(answer, std::string(item) + " \"" + value + "\"");
    }

  private:
    int Check(const QDBusReply<unsigned>& answer, const std::string& what) {
        if (!answer.isValid()) {
            PrintError("the Kestrum program stopped answering during " + what + " (" +
                       answer.error().message().toStdString() + ")");
            return kExitNoProgram;
        }
        if (answer.value() != kAcknowledged) {
            PrintError("the Kestrum program did not process " + what +
                       " (a send may be running); nothing after it was sent");
            return kExitRefused;
        }
        return 0;
    }

    QDBusConnection bus_;
    QDBusInterface launchList_;
    bool open_ = false;
};

// Waits for the end of the job the conversation started; QObject only for the signal slot.
class JobWaiter : public QObject {
    Q_OBJECT

  public:
    JobWaiter(QDBusConnection bus, QEventLoop& loop) : loop_(loop), watcher_(kService, bus) {
        watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
            gone_ = true;
            loop_.quit();
        });
    }

    bool Subscribe(QDBusConnection bus) {
        return bus.connect(kService, kObject, kInterface, QStringLiteral("JobEnded"), this,
                           SLOT(JobEnded(QString, QString)));
    }

    int Result() const {
        if (gone_) {
            PrintError("the Kestrum program went away before the job ended");
            return kExitNoProgram;
        }
        if (outcome_ == "completed") return kExitOk;
        std::string text = "the job ended: " + outcome_.toStdString();
        if (!message_.isEmpty()) text += ": " + message_.toStdString();
        PrintError(text);
        return kExitJobFailed;
    }

  public slots:
    void JobEnded(const QString& outcome, const QString& message) {
        outcome_ = outcome;
        message_ = message;
        loop_.quit();
    }

  private:
    QEventLoop& loop_;
    QDBusServiceWatcher watcher_;
    QString outcome_;
    QString message_;
    bool gone_ = false;
};

}  // namespace

void AddRemoteCommand(CLI::App& app, RemoteArguments& args) {
    CLI::App* command = app.add_subcommand(
        "remote",
        "Drive a running desktop program through its command interface on the session bus, in "
        "one conversation: ClearLaunchList, then for each --add an AddFile poke followed by its "
        "--assign, then LaunchDialog, then LaunchSend. Exit 0 when every transaction was "
        "acknowledged (and with --wait the job completed), 3 when one was refused, 4 when no "
        "program answers or the conversation was refused, 5 when the job ended cancelled, "
        "failed or with nothing sent (--wait).");
    args.command = command;
    command->add_flag("--clear", args.clear, "Clear the launch list first.");
    command->add_option("--add", args.adds, "Add a plot file (repeat for several).")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command
        ->add_option("--assign", args.assigns,
                     "Assign this configuration (a .cfg path or a marker text) to the file "
                     "of the --add before it.")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command->add_flag("--dialog", args.dialog, "Show the persistent launch status window.");
    auto* send = command->add_flag("--send", args.send, "Start the send.");
    command
        ->add_flag("--wait", args.wait,
                   "With --send: wait for the end of the job and exit with its outcome.")
        ->needs(send);
}

int RunRemote(RemoteArguments& args) {
    auto files = PairFiles(args);
    if (!files) {
        PrintError(files.error().message);
        return kExitBadInput;
    }

    int argc = 1;
    char name[] = "kestrum-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        PrintError("there is no session bus (" + bus.lastError().message().toStdString() +
                   "): the desktop program cannot be reached");
        return kExitNoProgram;
    }

    QEventLoop loop;
    JobWaiter waiter(bus, loop);
    // Subscribed before the send starts, so a quick job's end is not missed.
    if (args.wait && !waiter.Subscribe(bus)) {
        PrintError("cannot listen for the end of the job on the session bus");
        return kExitNoProgram;
    }

    {
        Conversation conversation(bus);
        if (int code = conversation.Open()) return code;
        if (args.clear) {
            if (int code = conversation.Execute("ClearLaunchList")) return code;
        }
        for (const RemoteFile& file : files.value()) {
            if (int code = conversation.Poke("AddFile", Absolute(file.path, false))) return code;
            if (file.assign) {
                if (int code =
                        conversation.Poke("AssignConfig", Absolute(file.configuration, true)))
                    return code;
            }
        }
        if (args.dialog) {
            if (int code = conversation.Execute("LaunchDialog")) return code;
        }
        if (args.send) {
            if (int code = conversation.Execute("LaunchSend")) return code;
        }
    }

    if (!args.wait) return kExitOk;
    loop.exec();
    return waiter.Result();
}

}  // namespace kestrum::cli

#include "remote_command.moc"
