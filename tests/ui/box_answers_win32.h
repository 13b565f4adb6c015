// Answering a message box shown by another thread.
#ifndef VEXA_TESTS_UI_BOX_ANSWERS_WIN32_H_
#define VEXA_TESTS_UI_BOX_ANSWERS_WIN32_H_

#include <windows.h>

#include <string>

namespace vexa::test {

// The visible top-level window of thread other than except; nullptr after
// 10 s.
HWND WaitForBox(DWORD thread, HWND except = nullptr);

// Presses button, or for 0 the button Enter presses (the box's default), and
// waits until the box is gone; its text. A box still there after 5 s is
// closed with OK so that the test ends, and " (still open)" follows its text.
std::string AnswerBox(HWND box, int button);

}  // namespace vexa::test

#endif  // VEXA_TESTS_UI_BOX_ANSWERS_WIN32_H_
