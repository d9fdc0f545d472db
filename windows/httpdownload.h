// SPDX-License-Identifier: MIT
// HttpDownload: fetches one URL by HTTP/1.0 GET into a file with libcurl,
// which the first start() opens (see CurlLibrary).
// curl's multi interface is driven from the Qt event loop (socket notifiers
// and a timer), so the window that asked keeps working during the transfer.
// The target file only appears once the whole body has arrived.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include "curlloader.h"

#include <map>
#include <memory>

class QSaveFile;
class QSocketNotifier;

class HttpDownload : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Complete, // 2xx status, every byte the server announced, file in place
        Failed,   // error status, broken or short transfer, file not written
        Aborted,  // abort() was called; nothing is kept
    };
    Q_ENUM(Outcome)

    explicit HttpDownload(QObject *parent = nullptr);
    ~HttpDownload() override;

    // Starts fetching url into filePath (replaced only on success). False when
    // a transfer is already running or the transfer cannot be set up; then
    // errorText() says why and finished() does not follow.
    bool start(const QString &url, const QString &filePath);
    // Stops the transfer; finished(Aborted) follows, at once when called
    // outside curl's callbacks. Does nothing when no transfer runs.
    void abort();
    bool isRunning() const { return m_easy != nullptr; }

    // Facts of the last transfer.
    long httpStatus() const { return m_status; }
    qint64 bytesReceived() const { return m_bytes; }
    QString errorText() const { return m_error; }

signals:
    // One line of the response header, without its line end.
    void headerLine(const QByteArray &line);
    // The first byte of an accepted (2xx) body has arrived.
    void bodyStarted();
    // Body bytes received so far.
    void progress(qint64 bytes);
    void finished(HttpDownload::Outcome outcome);

private:
    struct Watch {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    static int socketCallback(CURL *easy, curl_socket_t fd, int what, void *self, void *socketp);
    static int timerCallback(CURLM *multi, long timeoutMs, void *self);
    static size_t headerCallback(char *buffer, size_t size, size_t count, void *self);
    static size_t writeCallback(char *buffer, size_t size, size_t count, void *self);
    static int progressCallback(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    void watchSocket(curl_socket_t fd, bool read, bool write);
    void unwatchSocket(curl_socket_t fd);
    void drive(curl_socket_t fd, int events);
    bool collectResults();
    void finish(Outcome outcome);
    void release();
    bool setUpCurl();

    const CurlLibrary *m_curl = nullptr;
    CURLM *m_multi = nullptr;
    CURL *m_easy = nullptr;
    curl_slist *m_headers = nullptr;
    std::unique_ptr<QSaveFile> m_file;
    std::map<curl_socket_t, Watch> m_watches;
    QTimer m_timer;
    QByteArray m_errorBuffer;

    long m_status = 0;
    qint64 m_bytes = 0;
    QString m_error;
    bool m_bodyStarted = false;
    bool m_refusedStatus = false;
    bool m_abortRequested = false;
    bool m_insideCurl = false;
};
