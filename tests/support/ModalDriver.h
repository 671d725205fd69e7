#pragma once

#include <functional>

class QWidget;

// Drives a modal window that the code under test opens and waits for (QDialog::exec(), SysMessage):
// `openModal` runs the code that opens it; as soon as a new modal window is active, `interact` is called
// with it and should close it (press its buttons, type into it). A window still open `timeoutMs` after it
// appeared is closed by force and the test fails, instead of the suite hanging; so does a call whose
// `openModal` never opened a modal window. Check QTest::currentTestFailed() after the call before going on.
void driveModal(const std::function<void()>& openModal, const std::function<void(QWidget* modal)>& interact,
                int timeoutMs = 5000);
