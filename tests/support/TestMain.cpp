#include "TestMain.h"

#include "ModalAnswers.h"
#include "TestEnv.h"
#include "Framework.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
std::vector<SrTest::Registration>& registry()
{
    static std::vector<SrTest::Registration> s_registry;
    return s_registry;
}
} // namespace

int SrTest::registerTest(const Registration& registration)
{
    registry().push_back(registration);
    return int(registry().size());
}

int main(int argc, char** argv)
{
    SrTest::prepareEnvironment();
    // SR_TEST_KIND=offscreen runs only the classes that need no display, =display only the
    // others: a folder with both kinds is run as two tests, the first without any display.
    const QByteArray kind = qgetenv("SR_TEST_KIND");
    std::vector<SrTest::Registration> selected;
    for (const auto& r : registry())
        if (kind.isEmpty() || r.needsDisplay == (kind == "display"))
            selected.push_back(r);
    bool needsDisplay = false;
    for (const auto& r : selected)
        needsDisplay = needsDisplay || r.needsDisplay;
    if (needsDisplay) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            fprintf(stderr, "this test program needs an X display: set DISPLAY (the test script starts Xvfb)\n");
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Framework::prepareApplication(); // windows as the application makes them
    QApplication app(argc, argv);
    ModalAnswers::install();

    // Plain arguments name test functions ("name" or "Class::name") or whole classes
    // ("Class"); each class runs only the ones it has, and a class that has none of them is
    // skipped.
    QStringList options;
    QStringList wanted;
    const QStringList all = QCoreApplication::arguments();
    for (int i = 1; i < all.size(); ++i) {
        const QString& arg = all.at(i);
        const bool takesValue = arg == QLatin1String("-o") || arg == QLatin1String("-maxwarnings")
                                || arg == QLatin1String("-eventdelay") || arg == QLatin1String("-keydelay")
                                || arg == QLatin1String("-mousedelay");
        if (arg.startsWith(QLatin1Char('-'))) {
            options << arg;
            if (takesValue && i + 1 < all.size())
                options << all.at(++i);
        } else {
            wanted << arg;
        }
    }

    int failedClasses = 0;
    int passedClasses = 0;
    for (const auto& r : selected) {
        std::unique_ptr<QObject> test(r.create());
        QStringList args{all.value(0)};
        args << options;
        if (!wanted.isEmpty()) {
            QStringList mine;
            const QMetaObject* meta = test->metaObject();
            bool whole = false;
            for (const QString& name : wanted) {
                if (name == QLatin1String(r.name)) {
                    whole = true;
                    break;
                }
                const QString function = name.section(QStringLiteral("::"), -1);
                const QString cls = name.contains(QStringLiteral("::")) ? name.section(QStringLiteral("::"), 0, 0)
                                                                         : QString();
                if (!cls.isEmpty() && cls != QLatin1String(r.name))
                    continue;
                if (meta->indexOfMethod(QMetaObject::normalizedSignature(qPrintable(function + "()"))) >= 0
                    || meta->indexOfMethod(qPrintable(function.section(QLatin1Char(':'), 0, 0) + "()")) >= 0)
                    mine << function;
            }
            if (!whole && mine.isEmpty())
                continue;
            if (!whole)
                args << mine;
        }
        ModalAnswers::clear();
        const int failures = QTest::qExec(test.get(), args);
        if (failures == 0)
            ++passedClasses;
        else
            ++failedClasses;
    }
    const QByteArray name = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toLocal8Bit();
    printf("%s: %d passed, %d failed\n", name.constData(), passedClasses, failedClasses);
    SrTest::removeEnvironment();
    return failedClasses == 0 ? 0 : 1;
}
