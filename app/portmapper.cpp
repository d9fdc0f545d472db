// SPDX-License-Identifier: MIT
#include "portmapper.h"

#include "sharedlibrary.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace {

// miniupnpc is opened the first time a table is opened to the internet (on
// the mapper's thread), so no other game loads it.
#define VELLOC_UPNP_FUNCTIONS(X)                                                                                       \
    X(upnpDiscoverDevices) X(freeUPNPDevlist) X(UPNP_GetValidIGD) X(UPNP_GetIGDFromUrl) X(FreeUPNPUrls)                \
    X(UPNP_GetExternalIPAddress) X(UPNP_AddPortMapping) X(UPNP_DeletePortMapping) X(strupnperror)

struct UpnpLibrary {
    static constexpr const char *FileName = "libminiupnpc.so.17";
#define VELLOC_UPNP_POINTER(f) decltype(&::f) f = nullptr;
    VELLOC_UPNP_FUNCTIONS(VELLOC_UPNP_POINTER)
#undef VELLOC_UPNP_POINTER
};

// Null when the library is missing or lacks a function; error says which.
const UpnpLibrary *upnpLibrary(QString *error)
{
    static UpnpLibrary library;
    static const QString failure = [] {
        const OpenedLibrary opened(UpnpLibrary::FileName, [](OpenedLibrary &l) {
#define VELLOC_UPNP_RESOLVE(f) l.resolve(library.f, #f);
            VELLOC_UPNP_FUNCTIONS(VELLOC_UPNP_RESOLVE)
#undef VELLOC_UPNP_RESOLVE
        });
        return opened.problem(QStringLiteral("Opening a port on the router needs"), QStringLiteral("miniupnpc"),
                              "libminiupnpc17");
    }();
    if (error)
        *error = failure;
    return failure.isEmpty() ? &library : nullptr;
}

// What it takes to delete a mapping later; empty port means none is held.
struct Held {
    std::string controlUrl, serviceType, port;
    bool any() const { return !port.empty(); }
};

// Frees the library's URL strings on every way out; they start zeroed, and
// the library zeroes them again when it gives up on a device.
struct IgdGuard {
    const UpnpLibrary *upnp;
    UPNPUrls urls{};
    IGDdatas data{};
    ~IgdGuard() { upnp->FreeUPNPUrls(&urls); }
};

bool deleteMapping(const UpnpLibrary *upnp, const Held &held)
{
    const int r = upnp->UPNP_DeletePortMapping(held.controlUrl.c_str(), held.serviceType.c_str(),
                                         held.port.c_str(), "TCP", nullptr);
    // 714 NoSuchEntryInArray: already gone (router restarted), which is what we wanted.
    return r == UPNPCOMMAND_SUCCESS || r == 714;
}

QString noRouterMessage(quint16 port)
{
    return QStringLiteral("No router answered; friends outside your network need port %1 opened on the router.")
        .arg(port);
}

// Finds the router, asks for the mapping and fills `held` when it was made.
// Blocks: discovery listens 2 s for answers, and each request waits up to
// 5 s for the router's reply.
PortMapper::Result addMapping(const UpnpLibrary *upnp, quint16 port, const QByteArray &url, Held *held)
{
    PortMapper::Result result;
    result.port = port;
    IgdGuard igd{upnp};
    char lanAddr[64] = {};
    int found = 0;
    if (url.isEmpty()) {
        // The same search as upnpDiscover(), but asking for every kind at once:
        // upnpDiscover waits 2 s per kind in turn, 8 s when no router answers.
        static const char *const kinds[] = {
            "urn:schemas-upnp-org:device:InternetGatewayDevice:1",
            "urn:schemas-upnp-org:service:WANIPConnection:1",
            "urn:schemas-upnp-org:service:WANPPPConnection:1",
            "upnp:rootdevice",
            nullptr,
        };
        int err = 0;
        UPNPDev *devices = upnp->upnpDiscoverDevices(kinds, 2000, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &err, 1);
        if (devices) {
            found = upnp->UPNP_GetValidIGD(devices, &igd.urls, &igd.data, lanAddr, sizeof lanAddr);
            upnp->freeUPNPDevlist(devices);
        }
        // 2 (reports no connection) is still tried: many routers misreport it.
        // 3 is some UPnP device that is not a router.
        if (found == 3)
            found = 0;
    } else {
        found = upnp->UPNP_GetIGDFromUrl(url.constData(), &igd.urls, &igd.data, lanAddr, sizeof lanAddr);
    }
    if (!found || !igd.urls.controlURL || !igd.data.first.servicetype[0]) {
        result.message = noRouterMessage(port);
        return result;
    }

    char external[64] = {};
    if (upnp->UPNP_GetExternalIPAddress(igd.urls.controlURL, igd.data.first.servicetype, external) != UPNPCOMMAND_SUCCESS)
        external[0] = '\0'; // not needed for the mapping itself

    const std::string portText = std::to_string(port);
    const int r = upnp->UPNP_AddPortMapping(igd.urls.controlURL, igd.data.first.servicetype, portText.c_str(),
                                      portText.c_str(), lanAddr, "Velloc", "TCP", nullptr, "0");
    if (r != UPNPCOMMAND_SUCCESS) {
        const char *name = upnp->strupnperror(r);
        if (r > 0) {
            result.message = QStringLiteral("The router refused to open port %1 (error %2%3).")
                                 .arg(port)
                                 .arg(r)
                                 .arg(name ? QStringLiteral(": ") + QString::fromUtf8(name) : QString());
        } else {
            // Negative codes are the library's own: no reply, or one it could not read.
            result.message = QStringLiteral("The router gave no usable answer when asked to open port %1; "
                                            "friends outside your network need it opened on the router.")
                                 .arg(port);
        }
        return result;
    }

    *held = Held{igd.urls.controlURL, igd.data.first.servicetype, portText};
    result.mapped = true;
    result.externalAddress = QString::fromUtf8(external);
    result.message = result.externalAddress.isEmpty()
        ? QStringLiteral("The router forwards port %1 to this computer; friends outside your network can join "
                         "at your internet address on that port.")
              .arg(port)
        : QStringLiteral("Friends outside your network can join at %1:%2.").arg(result.externalAddress).arg(port);
    return result;
}

} // namespace

// Shared between the mapper and its worker, so a worker that outlives the
// mapper still has somewhere to put what it made, and removes it.
struct PortMapper::Shared {
    std::mutex mutex;
    std::condition_variable idle;
    PortMapper *owner = nullptr; // cleared by the destructor
    bool running = false;
    Held held;
};

struct PortMapper::Outcome {
    bool wasMap = false;
    Result result;
    bool removedOk = true;
};

PortMapper::PortMapper(QObject *parent) : QObject(parent), m_shared(std::make_shared<Shared>())
{
    qRegisterMetaType<PortMapper::Result>();
    m_shared->owner = this;
}

PortMapper::~PortMapper()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->owner = nullptr;
    // Requests still waiting are dropped; a mapping held is not left behind.
    if (!m_shared->running && m_shared->held.any()) {
        m_shared->running = true;
        std::thread(&PortMapper::work, m_shared, Job{false, 0, {}}).detach();
    }
    // A running worker removes whatever it holds once it sees the owner gone;
    // waiting for it keeps the forward from outliving a closing program.
    m_shared->idle.wait_for(lock, std::chrono::milliseconds(destroyWaitMs()),
                            [this] { return !m_shared->running; });
}

bool PortMapper::disabledByEnvironment()
{
    const QString value = qEnvironmentVariable("VELLOC_NO_UPNP");
    return !value.isEmpty() && value != QLatin1String("0");
}

void PortMapper::start(quint16 port, const QString &igdDescriptionUrl)
{
    if (disabledByEnvironment()) {
        Result result;
        result.port = port;
        result.message = QStringLiteral("Router port mapping is turned off.");
        // Queued, so callers see the same order of events as with a router.
        QMetaObject::invokeMethod(this, [this, result] { emit finished(result); }, Qt::QueuedConnection);
        return;
    }
    m_queue.push_back(Job{true, port, igdDescriptionUrl});
    launchNext();
}

void PortMapper::remove()
{
    m_queue.push_back(Job{false, 0, {}});
    launchNext();
}

bool PortMapper::busy() const
{
    return m_workerActive || !m_queue.empty();
}

void PortMapper::launchNext()
{
    if (m_workerActive || m_queue.empty())
        return;
    Job job = std::move(m_queue.front());
    m_queue.pop_front();
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->running = true;
    }
    m_workerActive = true;
    std::thread(&PortMapper::work, m_shared, std::move(job)).detach();
}

void PortMapper::workerDone(const Outcome &outcome)
{
    m_workerActive = false;
    launchNext();
    if (outcome.wasMap)
        emit finished(outcome.result);
    else
        emit removed(outcome.removedOk);
}

// Runs on the worker thread: touches only `shared` and the library.
void PortMapper::work(std::shared_ptr<Shared> shared, Job job)
{
    Outcome outcome;
    outcome.wasMap = job.map;
    QString missing;
    const UpnpLibrary *upnp = upnpLibrary(&missing);

    // Whatever is held goes first: a new start replaces it, remove() ends it.
    Held old;
    {
        std::lock_guard lock(shared->mutex);
        old = std::exchange(shared->held, Held{});
    }
    if (old.any())
        outcome.removedOk = deleteMapping(upnp, old);

    if (job.map && !upnp) {
        outcome.result.port = job.port;
        outcome.result.message = missing;
    } else if (job.map) {
        Held made;
        outcome.result = addMapping(upnp, job.port, job.url.toUtf8(), &made);
        std::lock_guard lock(shared->mutex);
        shared->held = std::move(made);
    }

    std::unique_lock lock(shared->mutex);
    // The mapper went away meanwhile: nobody is left to remove this mapping.
    while (!shared->owner && shared->held.any()) {
        const Held held = std::exchange(shared->held, Held{});
        lock.unlock();
        deleteMapping(upnp, held);
        lock.lock();
    }
    // Posted under the lock, so the destructor cannot run in between; a
    // result still queued when the mapper dies is discarded with it.
    if (PortMapper *owner = shared->owner)
        QMetaObject::invokeMethod(owner, [owner, outcome] { owner->workerDone(outcome); }, Qt::QueuedConnection);
    shared->running = false;
    shared->idle.notify_all();
}
