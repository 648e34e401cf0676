// Runs the window-host and dialog tests offscreen, with the help pages of the
// build tree.
#include <QApplication>
#include <QTest>

#include <cstdlib>

#include "window_host_test.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LENVORO_DATA_DIR", LENVORO_TEST_DATA_DIR, 0);
    QApplication application(argc, argv);
    int failures = 0;
    WindowHostTest host;
    failures += QTest::qExec(&host, argc, argv);
    PromptDialogsTest dialogs;
    failures += QTest::qExec(&dialogs, argc, argv);
    return failures == 0 ? 0 : 1;
}
