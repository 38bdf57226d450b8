#include "desktop/launch_list_service.h"

#include <QByteArray>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <span>

namespace kestrum {

namespace {

// Bus strings are UTF-8 and never hold a zero byte; the session reads its usual sizes from them.
std::span<const char> Bytes(const QByteArray& data) {
    return {data.constData(), static_cast<std::size_t>(data.size())};
}

}  // namespace

LaunchListService::LaunchListService(CommandSession& session, QObject* parent)
    : QObject(parent), session_(session), bus_(QDBusConnection::sessionBus()) {
    holderWatcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    // A client that crashes while it holds the conversation must not lock every later one out.
    connect(&holderWatcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& name) {
                session_.Disconnect(name.toStdString());
                ForgetHolder();
            });
}

LaunchListService::~LaunchListService() {
    Unregister();
}

bool LaunchListService::Register(QDBusConnection bus, QString& reason) {
    if (!bus.isConnected()) {
        reason = bus.lastError().message();
        return false;
    }
    if (!bus.registerObject(
            kBusObjectPath, this,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportScriptableSignals)) {
        reason = bus.lastError().isValid() ? bus.lastError().message()
                                           : QStringLiteral("the object is already registered");
        return false;
    }
    if (!bus.registerService(kBusServiceName)) {
        reason = bus.lastError().message();
        bus.unregisterObject(kBusObjectPath);
        return false;
    }
    bus_ = bus;
    holderWatcher_.setConnection(bus);
    registered_ = true;
    return true;
}

void LaunchListService::Unregister() {
    if (!registered_) return;
    bus_.unregisterService(kBusServiceName);
    bus_.unregisterObject(kBusObjectPath);
    registered_ = false;
}

QString LaunchListService::Caller() const {
    return calledFromDBus() ? message().service() : QString();
}

void LaunchListService::ForgetHolder() {
    for (const QString& name : holderWatcher_.watchedServices()) {
        holderWatcher_.removeWatchedService(name);
    }
}

uint LaunchListService::Answer(CommandAnswer answer) {
    if (answer == CommandAnswer::Acknowledged) emit ListChanged();
    return static_cast<uint>(answer);
}

bool LaunchListService::Connect() {
    const QString caller = Caller();
    const bool accepted = session_.Connect(caller.toStdString(), CommandSession::kServiceName,
                                           CommandSession::kTopicName);
    if (accepted) holderWatcher_.addWatchedService(caller);
    return accepted;
}

bool LaunchListService::Disconnect() {
    const QString caller = Caller();
    session_.Disconnect(caller.toStdString());
    if (!session_.connected()) ForgetHolder();
    return true;
}

uint LaunchListService::Execute(const QString& command) {
    const QByteArray data = command.toUtf8();
    return Answer(session_.Execute(Caller().toStdString(), Bytes(data)));
}

uint LaunchListService::Poke(const QString& item, const QString& value) {
    const QByteArray itemName = item.toUtf8();
    const QByteArray data = value.toUtf8();
    // The program runs in a working directory of its own: a relative path would name another
    // file than the client meant.
    if (itemName == CommandSession::kAddFile.data() && !data.startsWith('/')) {
        return static_cast<uint>(CommandAnswer::NotProcessed);
    }
    return Answer(session_.Poke(
        Caller().toStdString(),
        std::string_view(itemName.constData(), static_cast<std::size_t>(itemName.size())),
        Bytes(data)));
}

}  // namespace kestrum
