// Linux: two kinds of host. A StatusNotifierItem watcher on the session bus (Qt's D-Bus tray, the
// one Wayland desktops have) and an X tray manager, the owner of the _NET_SYSTEM_TRAY_Sn selection
// (Qt's XEmbed tray). Qt picks the kind once per process, when the first icon is made: a watcher
// that a host (the panel) has registered with is used, otherwise the X tray.
//
// Both are followed, never polled: the watcher's name on the one session connection the program
// keeps (Qt's own availability check opens a new connection on every call), and the X tray through
// the MANAGER message its owner sends to the root window and the destruction of its window.

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <xcb/xcb.h>

#include "app/tray/TrayHost.h"

namespace orvix {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// The owner of the X tray selection of the program's screen, followed through X events.
class XTrayManagerFollower : public QAbstractNativeEventFilter {
public:
    explicit XTrayManagerFollower(std::function<void()> changed) : changed_(std::move(changed)) {
        auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (!x11 || !x11->connection()) return;  // not on X (offscreen, Wayland)
        c_ = x11->connection();
        int screen = 0;
        char* host = nullptr;
        int display = 0;
        if (xcb_parse_display(nullptr, &host, &display, &screen)) std::free(host);
        const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
        selection_ = intern(selection.c_str());
        manager_ = intern("MANAGER");
        root_ = rootOf(screen);
        if (!selection_ || !manager_ || !root_) {
            c_ = nullptr;
            return;
        }
        // A new owner announces itself to the root window's StructureNotify listeners; Qt usually
        // listens there already, and its own selection stays as it is.
        addEventMask(root_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        qGuiApp->installNativeEventFilter(this);
        followOwner();
    }
    ~XTrayManagerFollower() override {
        if (c_ && qGuiApp) qGuiApp->removeNativeEventFilter(this);
    }

    bool present() const { return owner_ != XCB_NONE; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
        case XCB_CLIENT_MESSAGE: {
            auto* m = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (m->type == manager_ && m->format == 32 && m->data.data32[1] == selection_) update();
            break;
        }
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == owner_) update();
            break;
        }
        return false;  // Qt sees every event as before
    }

private:
    xcb_atom_t intern(const char* name) {
        auto cookie = xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c_, cookie, nullptr);
        xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }
    xcb_window_t rootOf(int screen) {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (int i = 0; it.rem; xcb_screen_next(&it), ++i)
            if (i == screen) return it.data->root;
        return XCB_NONE;
    }
    void addEventMask(xcb_window_t window, uint32_t mask) {
        // Our client's mask on a window is one value: add to it, never replace what Qt selected.
        xcb_get_window_attributes_reply_t* a =
            xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr);
        if (!a) return;  // gone already
        const uint32_t value = a->your_event_mask | mask;
        std::free(a);
        xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &value);
        xcb_flush(c_);
    }
    void followOwner() {
        xcb_get_selection_owner_reply_t* reply =
            xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, selection_), nullptr);
        owner_ = reply ? reply->owner : XCB_NONE;
        std::free(reply);
        // Its destruction ends it as a host; one that is gone before this tells us is asked again.
        if (owner_ != XCB_NONE) addEventMask(owner_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    }
    void update() {
        const bool was = present();
        followOwner();
        if (present() != was) changed_();
    }

    std::function<void()> changed_;
    xcb_connection_t* c_ = nullptr;
    xcb_atom_t selection_ = XCB_NONE, manager_ = XCB_NONE;
    xcb_window_t root_ = XCB_NONE, owner_ = XCB_NONE;
};

class FollowedTrayHost : public TrayHost {
    Q_OBJECT
public:
    FollowedTrayHost() : xTray_([this] { emit changed(); }) {
        // Qt's D-Bus item takes its title from the application name, which setTitle() makes the
        // caption. Qt's X windows take their class (WM_CLASS, which the desktop entry's
        // StartupWMClass names) from that name once, when it makes its first window: one is made
        // now, while the name is still the program's.
        if (QGuiApplication::platformName() == QLatin1String("xcb")) QWindow().create();
        if (!bus_.isConnected() || !bus_.interface()) return;  // no session bus: the X tray alone
        // Followed first, then asked once: an arrival in between is not missed.
        auto* follower =
            new QDBusServiceWatcher(kWatcherService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(follower, &QDBusServiceWatcher::serviceOwnerChanged, this, &FollowedTrayHost::askWatcher);
        for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            bus_.connect(kWatcherService, kWatcherPath, kWatcherService, signal, this, SLOT(askWatcher()));
        askWatcher();
    }

    bool present() const override {
        switch (kind_) {
        case Kind::StatusNotifier: return statusNotifier_;
        case Kind::XEmbed: return xTray_.present();
        case Kind::None: break;
        }
        return statusNotifier_ || xTray_.present();
    }
    void iconMade() override {
        if (kind_ == Kind::None) kind_ = statusNotifier_ ? Kind::StatusNotifier : Kind::XEmbed;
    }
    void setTitle(const QString& title) override { QCoreApplication::setApplicationName(title); }

private slots:
    // Qt takes the D-Bus tray where a watcher says a host (a panel) has registered with it; a
    // watcher starts before its panel, so both are followed.
    void askWatcher() {
        QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
        const QDBusMessage reply = bus_.call(get, QDBus::Block, kAskTimeoutMs);
        const bool host = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                          reply.arguments().first().value<QDBusVariant>().variant().toBool();
        if (host == statusNotifier_) return;
        const bool was = present();
        statusNotifier_ = host;
        if (present() != was) emit changed();
    }

private:
    enum class Kind { None, StatusNotifier, XEmbed };
    static constexpr int kAskTimeoutMs = 2000;  // a watcher that hangs is taken for none

    QDBusConnection bus_ = QDBusConnection::sessionBus();
    Kind kind_ = Kind::None;
    bool statusNotifier_ = false;  // a watcher with a host
    XTrayManagerFollower xTray_;
};

}  // namespace

std::unique_ptr<TrayHost> makeTrayHost() { return std::make_unique<FollowedTrayHost>(); }

}  // namespace orvix

#include "FollowedTrayHost.moc"
