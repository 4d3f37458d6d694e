#pragma once
// Registration of test classes. Each test program is one folder's tests: every .cpp
// registers its classes with SR_TEST (runs under the offscreen platform) or
// SR_TEST_DISPLAY (needs the real X display named by DISPLAY). A program runs under X when
// one of its classes needs it; SR_TEST_KIND=offscreen or =display runs one kind only.

#include <QObject>
#include <functional>

namespace SrTest {
struct Registration {
    const char* name;
    std::function<QObject*()> create;
    bool needsDisplay;
};
int registerTest(const Registration& registration);
} // namespace SrTest

#define SR_TEST_IMPL(Class, display)                                                                   \
    static const int sr_registered_##Class                                                             \
        = SrTest::registerTest({#Class, [] { return static_cast<QObject*>(new Class()); }, display});

#define SR_TEST(Class) SR_TEST_IMPL(Class, false)
#define SR_TEST_DISPLAY(Class) SR_TEST_IMPL(Class, true)
