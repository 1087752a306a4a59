// Waiting in tests for what another thread or process does: the state is
// looked at until it holds, within a bound far beyond what it takes on a
// loaded or emulated machine. A fixed pause and then a look would fail
// whenever the other side is a little late.
#ifndef ZELTA_TESTS_WIN_WAIT_UNTIL_H
#define ZELTA_TESTS_WIN_WAIT_UNTIL_H

#include <windows.h>

#include <functional>

// The bound for a state that comes within moments on an idle machine.
const DWORD StatePatience = 30000;

// Looks at `holds` until it is true or ms milliseconds have passed, running
// this thread's messages meanwhile (its windows keep answering). Returns
// holds(): true as soon as the state is there. In an emulated machine
// (ZELTA_TIME_LIMIT_SCALE) ms grows by the build's factor.
bool WaitUntil(const std::function<bool()>& holds, DWORD ms = StatePatience);

#endif
