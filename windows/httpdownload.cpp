// SPDX-License-Identifier: MIT
#include "httpdownload.h"

#include <QSaveFile>
#include <QSocketNotifier>

namespace {

const char UserAgent[] = "Mozilla/3.0 (compatible)";
const char AcceptHeader[] = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";

bool isSuccessStatus(long status) { return status >= 200 && status <= 299; }

} // namespace

HttpDownload::HttpDownload(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { drive(CURL_SOCKET_TIMEOUT, 0); });
}

HttpDownload::~HttpDownload()
{
    release();
    if (m_multi)
        m_curl->multi_cleanup(m_multi);
}

// libcurl is opened by the first download, not when the program starts.
bool HttpDownload::setUpCurl()
{
    if (m_multi)
        return true;
    m_curl = CurlLibrary::get(&m_error);
    if (!m_curl)
        return false;
    m_multi = m_curl->multi_init();
    if (!m_multi) {
        m_error = QStringLiteral("The HTTP client could not be set up");
        return false;
    }
    m_curl->multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &HttpDownload::socketCallback);
    m_curl->multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    m_curl->multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &HttpDownload::timerCallback);
    m_curl->multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    return true;
}

bool HttpDownload::start(const QString &url, const QString &filePath)
{
    if (m_easy) {
        m_error = QStringLiteral("A download is already running");
        return false;
    }
    m_status = 0;
    m_bytes = 0;
    m_error.clear();
    m_bodyStarted = false;
    m_refusedStatus = false;
    m_abortRequested = false;

    if (!setUpCurl())
        return false;

    // QSaveFile writes beside the target and renames on commit, so a broken
    // transfer never leaves a partial installer that could be started.
    auto file = std::make_unique<QSaveFile>(filePath);
    if (!file->open(QIODevice::WriteOnly)) {
        m_error = file->errorString();
        return false;
    }

    CURL *easy = m_curl->easy_init();
    if (!easy) {
        m_error = QStringLiteral("The HTTP client could not be set up");
        return false;
    }
    m_errorBuffer.fill('\0', CURL_ERROR_SIZE);
    m_headers = m_curl->slist_append(nullptr, AcceptHeader);

    const QByteArray urlBytes = url.toUtf8();
    CURLcode rc = CURLE_OK;
    auto set = [&](CURLoption option, auto value) {
        if (rc == CURLE_OK)
            rc = m_curl->easy_setopt(easy, option, value);
    };
    set(CURLOPT_URL, urlBytes.constData());
    set(CURLOPT_ERRORBUFFER, m_errorBuffer.data());
    set(CURLOPT_HTTPGET, 1L);
    set(CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    set(CURLOPT_USERAGENT, UserAgent);
    set(CURLOPT_HTTPHEADER, m_headers);
    // An empty proxy name keeps curl from taking one from the environment.
    set(CURLOPT_PROXY, "");
#if LIBCURL_VERSION_NUM >= 0x075500
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#endif
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, 5L);
    set(CURLOPT_FORBID_REUSE, 1L);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_CONNECTTIMEOUT, 30L);
    // A server that stops sending for a minute counts as a broken transfer.
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, 60L);
    set(CURLOPT_HEADERFUNCTION, &HttpDownload::headerCallback);
    set(CURLOPT_HEADERDATA, this);
    set(CURLOPT_WRITEFUNCTION, &HttpDownload::writeCallback);
    set(CURLOPT_WRITEDATA, this);
    set(CURLOPT_XFERINFOFUNCTION, &HttpDownload::progressCallback);
    set(CURLOPT_XFERINFODATA, this);
    set(CURLOPT_NOPROGRESS, 0L);
    if (rc != CURLE_OK) {
        m_error = QString::fromUtf8(m_curl->easy_strerror(rc));
        m_curl->easy_cleanup(easy);
        m_curl->slist_free_all(m_headers);
        m_headers = nullptr;
        return false;
    }

    m_file = std::move(file);
    m_easy = easy;
    const CURLMcode mc = m_curl->multi_add_handle(m_multi, easy);
    if (mc != CURLM_OK) {
        m_error = QString::fromUtf8(m_curl->multi_strerror(mc));
        release();
        return false;
    }
    // curl asked for a timeout through timerCallback; the transfer begins on
    // the next turn of the event loop.
    return true;
}

void HttpDownload::abort()
{
    if (!m_easy)
        return;
    m_abortRequested = true;
    m_error = QStringLiteral("Download aborted");
    // Inside a callback curl cannot be torn down; the callbacks now refuse
    // more data and drive() finishes the transfer when curl returns.
    if (m_insideCurl)
        return;
    finish(Outcome::Aborted);
}

int HttpDownload::socketCallback(CURL *, curl_socket_t fd, int what, void *self, void *)
{
    auto *d = static_cast<HttpDownload *>(self);
    if (what == CURL_POLL_REMOVE)
        d->unwatchSocket(fd);
    else
        d->watchSocket(fd, what & CURL_POLL_IN, what & CURL_POLL_OUT);
    return 0;
}

int HttpDownload::timerCallback(CURLM *, long timeoutMs, void *self)
{
    auto *d = static_cast<HttpDownload *>(self);
    if (timeoutMs < 0)
        d->m_timer.stop();
    else
        d->m_timer.start(int(qMin(timeoutMs, long(24 * 3600 * 1000))));
    return 0;
}

size_t HttpDownload::headerCallback(char *buffer, size_t size, size_t count, void *self)
{
    auto *d = static_cast<HttpDownload *>(self);
    const size_t n = size * count;
    if (d->m_abortRequested)
        return 0;
    QByteArray line(buffer, qsizetype(n));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    // A followed redirect starts a new response with its own status line.
    if (line.startsWith("HTTP/"))
        d->m_bodyStarted = false;
    if (!line.isEmpty())
        emit d->headerLine(line);
    return d->m_abortRequested ? 0 : n;
}

size_t HttpDownload::writeCallback(char *buffer, size_t size, size_t count, void *self)
{
    auto *d = static_cast<HttpDownload *>(self);
    const size_t n = size * count;
    if (d->m_abortRequested)
        return 0;
    if (!d->m_bodyStarted) {
        long status = 0;
        d->m_curl->easy_getinfo(d->m_easy, CURLINFO_RESPONSE_CODE, &status);
        d->m_status = status;
        // An error page is not an installer: stop before writing any of it.
        if (!isSuccessStatus(status)) {
            d->m_refusedStatus = true;
            return 0;
        }
        d->m_bodyStarted = true;
        emit d->bodyStarted();
        if (d->m_abortRequested)
            return 0;
    }
    if (d->m_file->write(buffer, qint64(n)) != qint64(n)) {
        d->m_error = d->m_file->errorString();
        return 0;
    }
    d->m_bytes += qint64(n);
    emit d->progress(d->m_bytes);
    return d->m_abortRequested ? 0 : n;
}

int HttpDownload::progressCallback(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<HttpDownload *>(self)->m_abortRequested ? 1 : 0;
}

void HttpDownload::watchSocket(curl_socket_t fd, bool read, bool write)
{
    Watch &w = m_watches[fd];
    auto make = [&](QSocketNotifier::Type type, int events) {
        auto *n = new QSocketNotifier(qintptr(fd), type, this);
        connect(n, &QSocketNotifier::activated, this, [this, fd, events] { drive(fd, events); });
        return n;
    };
    if (read && !w.read)
        w.read = make(QSocketNotifier::Read, CURL_CSELECT_IN);
    if (write && !w.write)
        w.write = make(QSocketNotifier::Write, CURL_CSELECT_OUT);
    if (w.read)
        w.read->setEnabled(read);
    if (w.write)
        w.write->setEnabled(write);
}

void HttpDownload::unwatchSocket(curl_socket_t fd)
{
    auto it = m_watches.find(fd);
    if (it == m_watches.end())
        return;
    // The notifier may be the one whose signal is running right now.
    for (QSocketNotifier *n : {it->second.read, it->second.write}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    m_watches.erase(it);
}

void HttpDownload::drive(curl_socket_t fd, int events)
{
    if (m_insideCurl) {
        // Only a nested event loop inside a callback gets here; curl must not
        // be entered twice, so come back once it has returned.
        if (fd == CURL_SOCKET_TIMEOUT)
            m_timer.start(1);
        return;
    }
    int running = 0;
    m_insideCurl = true;
    m_curl->multi_socket_action(m_multi, fd, events, &running);
    m_insideCurl = false;
    if (collectResults())
        return; // finished() may have deleted this object
    if (m_easy && m_abortRequested)
        finish(Outcome::Aborted);
}

bool HttpDownload::collectResults()
{
    int queued = 0;
    while (CURLMsg *msg = m_curl->multi_info_read(m_multi, &queued)) {
        if (msg->msg != CURLMSG_DONE || msg->easy_handle != m_easy)
            continue;
        const CURLcode result = msg->data.result;

        long status = 0;
        m_curl->easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
        if (status != 0)
            m_status = status;
        curl_off_t announced = -1;
        m_curl->easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);

        Outcome outcome = Outcome::Failed;
        if (m_abortRequested) {
            // Whatever curl made of the last bytes, the player stopped it.
            outcome = Outcome::Aborted;
        } else if (m_refusedStatus || (result == CURLE_OK && !isSuccessStatus(m_status))) {
            m_error = QStringLiteral("HTTP status %1").arg(m_status);
        } else if (result != CURLE_OK) {
            if (m_error.isEmpty()) {
                m_error = QString::fromUtf8(m_errorBuffer.constData());
                if (m_error.isEmpty())
                    m_error = QString::fromUtf8(m_curl->easy_strerror(result));
            }
        } else if (announced >= 0 && announced != m_bytes) {
            m_error = QStringLiteral("Received %1 of %2 bytes").arg(m_bytes).arg(qint64(announced));
        } else if (!m_file->commit()) {
            m_error = m_file->errorString();
        } else {
            outcome = Outcome::Complete;
        }
        finish(outcome);
        return true;
    }
    return false;
}

void HttpDownload::finish(Outcome outcome)
{
    release();
    emit finished(outcome);
}

void HttpDownload::release()
{
    if (m_easy) {
        m_curl->multi_remove_handle(m_multi, m_easy);
        m_curl->easy_cleanup(m_easy);
        m_easy = nullptr;
    }
    if (m_headers) {
        m_curl->slist_free_all(m_headers);
        m_headers = nullptr;
    }
    if (m_file) {
        // Uncommitted: the temporary file goes, the target stays untouched.
        m_file->cancelWriting();
        m_file.reset();
    }
    m_timer.stop();
}
