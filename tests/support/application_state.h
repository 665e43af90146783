#pragma once

#include <chrono>

namespace testing_support {

// Runs the application's event loop as the program's main does, until the program ends it or the
// limit passes (then it returns 1), and leaves no quit behind for the next event loop.
int execApplication(std::chrono::milliseconds limit);

// Makes every test of the binary leave the application as it found it: a top-level window left
// on screen, or the dialogs seam or the launcher left replaced, fails the test that did it (and
// is put right, so the tests after it are not blamed); the regional settings go back to the
// program's own.
void checkApplicationStateAfterEachTest();

} // namespace testing_support
