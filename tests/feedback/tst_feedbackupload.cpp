// The upload: the multipart form as a real HTTP server on 127.0.0.1 receives it, and
// how the server's answer maps to the result.

#include "HttpFixture.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "feedback/FeedbackTask.h"

#include <QFile>
#include <QRegularExpression>
#include <QSslSocket>
#include <QtTest>

class FeedbackUploadTest : public QObject {
    Q_OBJECT
private slots:
    void osName()
    {
        QVERIFY(QRegularExpression("^LINUX64\\d+\\.\\d+\\.\\d+$").match(FeedbackTask::buildOSName()).hasMatch());
    }

    void sendsEveryPartInOrder()
    {
        const QString folder = SrTest::newFolder("upload");
        const QString archive = folder + "/fb.cnf.log.7z";
        QVERIFY(SrTest::writeFile(archive, 70000));
        QVERIFY(SrTest::writeFile(folder + "/one.txt", 1234));
        const auto contents = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QVERIFY(SrTest::writeFile(folder + "/empty.bin", 0));

        HttpFixture server(200);
        FeedbackTask task;
        // A request as a sender loads it: "os" from the file is replaced at send time.
        QByteArray file = "<feedback><os>MAC6410.15.7</os><type>3</type><level>2</level>"
                          "<email>a@b</email></feedback>";
        QVERIFY(task.loadFrom(file));
        task.setFeedbackUrl(server.url());
        task.setContent(QString::fromUtf8("caf\xc3\xa9 & <b>"));
        task.setLogFile(archive);
        task.setSummary(QString("x") + QChar(0) + QString("y"));
        task.addAttachment(folder + "/one.txt");
        task.addAttachment(folder + "/missing.txt");
        task.addAttachment(folder + "/empty.bin");
        QVERIFY(task.sendFeedback());
        QCOMPARE(server.requestCount(), 1);

        const HttpFixture::Request request = server.requests().first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/feedback"));
        QVERIFY(!request.headers.contains("expect"));
        const QList<HttpFixture::Part> parts = HttpFixture::parts(request);
        QStringList names;
        for (const auto& p : parts)
            names << QString::fromUtf8(p.name);
        QCOMPARE(names, QStringList({"affiliate_id", "attach_file[]", "attach_file[]", "brand_id", "content", "email",
                                     "level", "log_file[]", "name", "os", "product_id", "product_name",
                                     "product_version", "rating", "summary", "type"}));
        QMap<QString, QByteArray> values;
        for (const auto& p : parts) {
            QCOMPARE(p.hasFileName, p.name.endsWith("[]"));
            if (!p.hasFileName)
                values.insert(QString::fromUtf8(p.name), p.data);
        }
        QCOMPARE(values.value("type"), QByteArray("3"));
        QCOMPARE(values.value("level"), QByteArray("2"));
        QCOMPARE(values.value("rating"), QByteArray("0"));
        QCOMPARE(values.value("product_id"), QByteArray("0"));
        QCOMPARE(values.value("summary"), QByteArray("x\0y", 3));
        QCOMPARE(values.value("email"), QByteArray("a@b"));
        QCOMPARE(values.value("content"), QByteArray("caf\xc3\xa9 & <b>"));
        QCOMPARE(values.value("os"), FeedbackTask::buildOSName().toUtf8());

        QCOMPARE(parts.at(1).fileName, QByteArray("one.txt"));
        QCOMPARE(parts.at(1).data, contents(folder + "/one.txt"));
        QCOMPARE(parts.at(2).fileName, QByteArray("empty.bin"));
        QCOMPARE(parts.at(2).data, QByteArray());
        QCOMPARE(parts.at(7).fileName, QByteArray("fb.cnf.log.7z"));
        QCOMPARE(parts.at(7).data, contents(archive));
    }

    void mapsTheAnswer_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("200") << 200 << true;
        QTest::newRow("204") << 204 << true;
        QTest::newRow("298") << 298 << true;
        QTest::newRow("299") << 299 << false;
        QTest::newRow("301") << 301 << false;
        QTest::newRow("404") << 404 << false;
        QTest::newRow("500") << 500 << false;
    }

    void mapsTheAnswer()
    {
        QFETCH(int, status);
        QFETCH(bool, accepted);
        HttpFixture server(status);
        FeedbackTask task;
        task.setFeedbackUrl(server.url());
        QCOMPARE(task.sendFeedback(), accepted);
        QCOMPARE(server.requestCount(), 1);
        const QString reason = QString("the server answered with HTTP status %1").arg(status);
        QCOMPARE(task.sendError(), accepted ? QString() : reason);
    }

    void failsWithoutAServer()
    {
        FeedbackTask refused;
        refused.setFeedbackUrl(QString("http://127.0.0.1:%1/feedback").arg(HttpFixture::refusedPort()));
        QVERIFY(!refused.sendFeedback());
        QVERIFY2(refused.sendError().contains("connect"), qPrintable(refused.sendError()));

        FeedbackTask noAddress;
        QVERIFY(!noAddress.sendFeedback());

        // A server that never answers is given up after the overall time-out.
        HttpFixture silent;
        silent.setSilent(true);
        FeedbackTask stalled;
        stalled.setFeedbackUrl(silent.url());
        QVERIFY(!stalled.sendFeedback(1));
        QVERIFY2(stalled.sendError().contains("timed out"), qPrintable(stalled.sendError()));
        QCOMPARE(silent.requestCount(), 1);
    }

    void refusesAnUntrustedCertificate()
    {
        QString certificate, key;
        QVERIFY(HttpFixture::makeCertificate(SrTest::newFolder("tls"), &certificate, &key));
        HttpFixture server(certificate, key);

        // The fixture really serves HTTPS: a client that skips verification gets through.
        QSslSocket client;
        client.setPeerVerifyMode(QSslSocket::VerifyNone);
        client.connectToHostEncrypted("127.0.0.1", server.port());
        QVERIFY(client.waitForEncrypted(10000));
        client.write("POST /x HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 2\r\n\r\nhi");
        QVERIFY(client.waitForReadyRead(10000));
        QVERIFY(client.readAll().startsWith("HTTP/1.1 200"));
        QCOMPARE(server.requestCount(), 1);

        // The upload checks the peer: a self-signed certificate ends it before any data is sent.
        FeedbackTask task;
        task.setFeedbackUrl(QString("https://127.0.0.1:%1/feedback").arg(server.port()));
        task.setEmail("secret@example.org");
        QVERIFY(!task.sendFeedback(30));
        QCOMPARE(server.connectionCount(), 2);
        QCOMPARE(server.requestCount(), 1);
    }
};

SR_TEST(FeedbackUploadTest)
#include "tst_feedbackupload.moc"
