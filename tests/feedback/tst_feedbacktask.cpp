// The request model: node selection and the XML request file.

#include "TestMain.h"
#include "feedback/FeedbackTask.h"

#include <QtTest>

class FeedbackTaskTest : public QObject {
    Q_OBJECT
private:
    static QString text(FeedbackTask& task)
    {
        QByteArray out;
        task.saveTo(out);
        return QString::fromUtf8(out);
    }

private slots:
    // Need-send names keep their order and repeats, skip unknown names; "url" comes last.
    void nodeSelection()
    {
        FeedbackTask task;
        task.setNeedSendNodes({"type", "bogus", "email", "type", "url"});
        QList<XmlNodeMap> nodes;
        task.getNeededNode(nodes, true, false);
        QStringList names;
        for (const XmlNodeMap& n : nodes)
            names << QLatin1String(n.name);
        QCOMPARE(names, QStringList({"type", "email", "type", "url"}));
    }

    void writesGoldenFiles()
    {
        FeedbackTask empty;
        empty.setFeedbackUrl("http://x/y");
        QCOMPARE(text(empty), QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feedback>\n"
                                      " <url>http://x/y</url>\n</feedback>\n"));

        FeedbackTask task;
        task.setType(3);
        task.setContent("hi");
        task.addAttachment("/a/1");
        task.addAttachment("/b/2");
        task.addAttachment("/c/3");
        task.setNeedSendNodes({"email", "content", "type", "attach_file", "os"});
        QCOMPARE(text(task), QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feedback>\n"
                                     " <email></email>\n <content>hi</content>\n <type>3</type>\n"
                                     " <attach_file>/a/1</attach_file>\n <attach_file>/b/2</attach_file>\n"
                                     " <attach_file>/c/3</attach_file>\n <os></os>\n <url></url>\n</feedback>\n"));

        FeedbackTask noAttachments;
        noAttachments.setNeedSendNodes({"attach_file"});
        QVERIFY(!text(noAttachments).contains("attach_file"));
    }

    void roundTripsAwkwardText()
    {
        const QString content = "a < b && c > d ]]> <![CDATA[x]]>\nline 2\r\nline 3\ttab \"q\" 'a' \u00e9\u4e2d";
        FeedbackTask task;
        task.setEmail("me@example.org");
        task.setContent(content);
        task.setFeedbackUrl("http://127.0.0.1/?a=1&b=2");
        task.setProduct(5301);
        task.setNeedSendNodes({"email", "content", "product_id"});
        QByteArray file;
        QVERIFY(task.saveTo(file));

        FeedbackTask back;
        QVERIFY(back.loadFrom(file));
        QCOMPARE(back.content(), content);
        QCOMPARE(back.email(), QString("me@example.org"));
        QCOMPARE(back.feedbackUrl(), QString("http://127.0.0.1/?a=1&b=2"));
        QStringList nodes = back.needSendNodes();
        nodes.sort();
        QCOMPARE(nodes, QStringList({"content", "email", "product_id"}));
        QByteArray again;
        back.setNeedSendNodes({"email", "content", "product_id"});
        back.saveTo(again);
        QCOMPARE(again, file);
    }

    void readsLeniently()
    {
        const QByteArray file = "<?xml version=\"1.0\"?><anyroot>"
                                "<attach_file>/x/1</attach_file><Email>no@x</Email><attach_file>/x/2</attach_file>"
                                "<type>abc</type><url>http://u</url><unknown>z</unknown></anyroot>";
        FeedbackTask task;
        task.setType(7);
        QVERIFY(task.loadFrom(file));
        QCOMPARE(task.attachments(), QStringList({"/x/1", "/x/2"}));
        QCOMPARE(task.email(), QString()); // "Email" differs in case: ignored
        QCOMPARE(task.feedbackUrl(), QString("http://u"));
        QStringList nodes = task.needSendNodes();
        nodes.sort();
        QCOMPARE(nodes, QStringList({"attach_file", "type"}));
        // A second load appends the attachments again; names stay unique.
        QVERIFY(task.loadFrom(file));
        QCOMPARE(task.attachments().size(), 4);
        QCOMPARE(task.needSendNodes().count("attach_file"), 1);

        // Malformed text leaves the request as it was.
        FeedbackTask untouched;
        untouched.setEmail("keep@x");
        QVERIFY(!untouched.loadFrom("<feedback><email>new@x</feedback>"));
        QCOMPARE(untouched.email(), QString("keep@x"));
        QVERIFY(untouched.needSendNodes().isEmpty());
    }
};

SR_TEST(FeedbackTaskTest)
#include "tst_feedbacktask.moc"
