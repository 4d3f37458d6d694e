#pragma once
// A small HTTP server on 127.0.0.1 for upload tests. It runs on its own thread, so a
// blocking upload on the test thread can talk to it. It keeps every request it receives
// and answers each with the set status (or never answers, when silent).

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThread>
#include <atomic>

class HttpFixture : public QThread {
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // keys in lower case
        QByteArray body;
    };
    struct Part {
        QByteArray name;
        QByteArray fileName;
        bool hasFileName = false;
        QByteArray data;
    };

    explicit HttpFixture(int status = 200);
    // An HTTPS server with a self-signed certificate (PEM files) for 127.0.0.1.
    HttpFixture(const QString& certificatePem, const QString& keyPem);
    ~HttpFixture() override;

    quint16 port() const { return m_port; }
    QString url() const;
    // A silent server accepts the connection and reads the request but never answers.
    void setSilent(bool silent) { m_silent = silent; }
    QList<Request> requests() const;
    int requestCount() const;
    // Connections accepted so far (also those that never sent a request).
    int connectionCount() const { return m_connections; }
    // Makes a self-signed certificate and key for 127.0.0.1 in `folder` with the openssl tool.
    static bool makeCertificate(const QString& folder, QString* certificatePem, QString* keyPem);

    // The parts of a multipart/form-data request, in order.
    static QList<Part> parts(const Request& request);
    // A port on 127.0.0.1 where nothing listens.
    static quint16 refusedPort();

protected:
    void run() override;

private:
    friend class HttpConnection;
    void record(const Request& request);

    mutable QMutex m_mutex;
    QList<Request> m_requests;
    const int m_status = 200;
    std::atomic<bool> m_silent{false};
    quint16 m_port = 0;
    std::atomic<int> m_connections{0};
    QString m_certificate;
    QString m_key;
    QSemaphore m_ready;
};
