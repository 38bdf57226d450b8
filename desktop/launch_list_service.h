#pragma once

// The command interface on the session bus: the well-known name org.kestrum.Kestrum, the object
// /LaunchList and the interface org.kestrum.LaunchList. A thin layer over the core's command
// session: it supplies each caller's unique bus name as the client identity, turns bus strings
// into the transaction data the session reads, and ends the conversation of a caller that leaves
// the bus without disconnecting. User-interface thread only.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

#include "launch/command_session.h"

namespace kestrum {

inline constexpr const char* kBusServiceName = "org.kestrum.Kestrum";
inline constexpr const char* kBusObjectPath = "/LaunchList";
inline constexpr const char* kBusInterfaceName = "org.kestrum.LaunchList";

class LaunchListService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kestrum.LaunchList")

  public:
    // The session must outlive the service.
    explicit LaunchListService(CommandSession& session, QObject* parent = nullptr);
    ~LaunchListService() override;

    // Registers the object and owns the well-known name on `bus`. False when either fails
    // (another Kestrum owns the name, or there is no bus); `reason` then says why.
    bool Register(QDBusConnection bus, QString& reason);
    // Gives the name and the object up again; nothing when not registered.
    void Unregister();
    bool registered() const { return registered_; }

    // Tells the bus clients how a send of the persistent status window ended.
    void AnnounceJobEnd(const QString& outcome, const QString& message) {
        emit JobEnded(outcome, message);
    }

  public slots:
    bool Connect();
    bool Disconnect();
    uint Execute(const QString& command);
    uint Poke(const QString& item, const QString& value);

  signals:
    // outcome: "completed", "cancelled", "failed" or "nothing"; message: the failure as the user
    // was told it, else empty.
    Q_SCRIPTABLE void JobEnded(const QString& outcome, const QString& message);
    // A client's transaction changed the list; not exported (the launcher shows it again).
    void ListChanged();

  private:
    QString Caller() const;
    uint Answer(CommandAnswer answer);
    void ForgetHolder();

    CommandSession& session_;
    QDBusConnection bus_;
    QDBusServiceWatcher holderWatcher_;
    bool registered_ = false;
};

}  // namespace kestrum
