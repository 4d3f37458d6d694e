#include "TestMain.h"

#include "ModalAnswers.h"
#include "TestEnv.h"

#include <QApplication>
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
    bool needsDisplay = false;
    for (const auto& r : registry())
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
    QApplication app(argc, argv);
    ModalAnswers::install();

    int failedClasses = 0;
    int passedClasses = 0;
    for (const auto& r : registry()) {
        std::unique_ptr<QObject> test(r.create());
        ModalAnswers::clear();
        const int failures = QTest::qExec(test.get(), argc, argv);
        if (failures == 0)
            ++passedClasses;
        else
            ++failedClasses;
    }
    printf("%s: %d test classes passed, %d failed\n", argv[0], passedClasses, failedClasses);
    return failedClasses == 0 ? 0 : 1;
}
