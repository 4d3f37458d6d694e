#include "ChildApplication.h"

#include "app/MainEntry.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace SrTest {

int runChildApplication(const char* modeVariable, void (*create)(), OvModalAnswerer answer)
{
    const char* mode = std::getenv(modeVariable);
    if (!mode || !*mode)
        return 0;
    OvModalHook::setAnswerer(std::move(answer));
    qAddPreRoutine(create);
    static char name[] = "ScreenRecorder";
    char* argv[] = {name, nullptr};
    int argc = 1;
    const int code = main_entry(argc, argv);
    fflush(stdout);
    fflush(stderr);
    std::_Exit(code);
}

} // namespace SrTest
