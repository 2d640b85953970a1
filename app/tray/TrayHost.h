#pragma once
// Whether a notification area exists for the tray icon, followed as hosts come and go: a tray host
// may start after the program (a logon start races the panel), and may quit and return. Asking is
// answered from what was followed, so it costs nothing.

#include <QObject>
#include <QString>
#include <memory>

namespace orvix {

class TrayHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether the icon has, or would have, a host to sit in now.
    virtual bool present() const = 0;
    // The icon is made now. Where the platform offers more than one kind of host, the icon keeps
    // the kind it is made for, and present() follows hosts of that kind from here on.
    virtual void iconMade() {}
    // The name a host lists the icon under (the window's caption); elsewhere the tip says it.
    virtual void setTitle(const QString&) {}

signals:
    void changed();  // present() may have changed
};

// The platform's hosts.
std::unique_ptr<TrayHost> makeTrayHost();

}  // namespace orvix
