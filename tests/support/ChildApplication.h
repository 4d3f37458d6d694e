#pragma once
// A test program that runs itself again as the application: when `modeVariable` is set in
// its environment, the program (before the test main) runs main_entry with `answer` as the
// modal answerer and `create` called once QApplication exists, then leaves with main_entry's
// status. Otherwise it returns 0 and the tests run. Use as a static initialiser.

#include "OvModalHook.h"

namespace SrTest {
int runChildApplication(const char* modeVariable, void (*create)(), OvModalAnswerer answer);
}
