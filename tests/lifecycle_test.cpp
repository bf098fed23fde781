// The whole program from its entry point: it opens its window, runs until the window is closed,
// releases its state and returns 0.

#include "app/lifecycle.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

bool window_was_shown = false;

void close_the_window_once_shown()
{
    QTimer::singleShot(0, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->objectName().isEmpty()) {
                window_was_shown = true;
                widget->close();
            }
        }
    });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(close_the_window_once_shown)

int main(int argc, char* argv[])
{
    const int exit_code = run_application(argc, argv);
    const bool passed = exit_code == 0 && window_was_shown;
    std::printf("lifecycle: window shown %d, exit code %d\n", window_was_shown, exit_code);
    return passed ? 0 : 1;
}
