#include "HttpFixture.h"

#include "TestEnv.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

class HttpConnection : public QObject {
public:
    HttpConnection(HttpFixture* fixture, QTcpSocket* socket)
        : m_fixture(fixture)
        , m_socket(socket)
    {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this] { onReadyRead(); });
        connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    }

private:
    void onReadyRead()
    {
        m_buffer += m_socket->readAll();
        const int headerEnd = m_buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0 || m_done)
            return;
        HttpFixture::Request request;
        const QList<QByteArray> lines = m_buffer.left(headerEnd).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines.at(i).indexOf(':');
            if (colon > 0)
                request.headers.insert(lines.at(i).left(colon).trimmed().toLower(), lines.at(i).mid(colon + 1).trimmed());
        }
        const int length = request.headers.value("content-length").toInt();
        if (m_buffer.size() - headerEnd - 4 < length)
            return;
        request.body = m_buffer.mid(headerEnd + 4, length);
        m_done = true;
        m_fixture->record(request);
        if (m_fixture->m_silent)
            return;
        const int status = m_fixture->m_status;
        m_socket->write("HTTP/1.1 " + QByteArray::number(status) + " Status\r\n"
                        + (status == 204 ? QByteArray() : QByteArray("Content-Length: 2\r\n"))
                        + "Connection: close\r\n\r\n" + (status == 204 ? QByteArray() : QByteArray("ok")));
        m_socket->disconnectFromHost();
    }

    HttpFixture* m_fixture;
    QTcpSocket* m_socket;
    QByteArray m_buffer;
    bool m_done = false;
};

namespace {
// Accepts every connection as TLS when a certificate is given, else as plain TCP.
class Server : public QTcpServer {
public:
    Server(const QString& certificate, const QString& key)
        : m_certificate(certificate)
        , m_key(key)
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        if (m_certificate.isEmpty())
            return QTcpServer::incomingConnection(descriptor);
        auto* socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        QFile cert(m_certificate);
        QFile key(m_key);
        cert.open(QIODevice::ReadOnly);
        key.open(QIODevice::ReadOnly);
        socket->setLocalCertificate(QSslCertificate(cert.readAll()));
        socket->setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
        socket->startServerEncryption();
        addPendingConnection(socket);
        emit newConnection();
    }

private:
    QString m_certificate;
    QString m_key;
};
} // namespace

HttpFixture::HttpFixture(const QString& certificatePem, const QString& keyPem)
    : m_certificate(certificatePem)
    , m_key(keyPem)
{
    start();
    m_ready.acquire();
}

HttpFixture::HttpFixture(int status)
    : m_status(status)
{
    start();
    m_ready.acquire();
}

HttpFixture::~HttpFixture()
{
    quit();
    wait();
}

void HttpFixture::run()
{
    Server server(m_certificate, m_key);
    server.listen(QHostAddress::LocalHost, 0);
    connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            ++m_connections;
            new HttpConnection(this, socket);
        }
    });
    m_port = server.serverPort();
    m_ready.release();
    exec();
}

QString HttpFixture::url() const { return QStringLiteral("http://127.0.0.1:%1/feedback").arg(m_port); }

void HttpFixture::record(const Request& request)
{
    QMutexLocker lock(&m_mutex);
    m_requests.append(request);
}

QList<HttpFixture::Request> HttpFixture::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

bool HttpFixture::makeCertificate(const QString& folder, QString* certificatePem, QString* keyPem)
{
    *certificatePem = folder + "/cert.pem";
    *keyPem = folder + "/key.pem";
    return SrTest::run(QStandardPaths::findExecutable("openssl"),
                       {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", *keyPem, "-out", *certificatePem,
                        "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"},
                       60000);
}

int HttpFixture::requestCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests.size();
}

QList<HttpFixture::Part> HttpFixture::parts(const Request& request)
{
    QList<Part> result;
    const QByteArray type = request.headers.value("content-type");
    const int at = type.indexOf("boundary=");
    if (at < 0)
        return result;
    const QByteArray delimiter = "--" + type.mid(at + 9).trimmed();
    QByteArray body = request.body;
    if (!body.startsWith(delimiter))
        return result;
    int pos = delimiter.size();
    while (pos < body.size() && !body.mid(pos, 2).startsWith("--")) {
        pos += 2; // CRLF after the delimiter
        const int next = body.indexOf("\r\n" + delimiter, pos);
        if (next < 0)
            break;
        const QByteArray chunk = body.mid(pos, next - pos);
        const int headerEnd = chunk.indexOf("\r\n\r\n");
        Part part;
        for (const QByteArray& line : chunk.left(headerEnd).split('\n')) {
            if (!line.toLower().startsWith("content-disposition"))
                continue;
            const int name = line.indexOf("name=\"");
            part.name = line.mid(name + 6, line.indexOf('"', name + 6) - name - 6);
            const int file = line.indexOf("filename=\"");
            if (file >= 0) {
                part.hasFileName = true;
                part.fileName = line.mid(file + 10, line.indexOf('"', file + 10) - file - 10);
            }
        }
        part.data = chunk.mid(headerEnd + 4);
        result.append(part);
        pos = next + 2 + delimiter.size();
    }
    return result;
}

quint16 HttpFixture::refusedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}
