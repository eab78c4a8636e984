#pragma once

#include <QAbstractEventDispatcher>
#include <QObject>
#include <cstdio>
#include <cstdlib>

// Start-up measurement: with QX_STARTUP_PROBE set in the environment, the program writes "idle" to standard
// output and ends on the spot the first time its event loop waits for input, that is once its window is
// shown and all that start-up queued is done. Call it right before the event loop starts.
inline void ExitAtFirstIdleWhenProbed() {
    if (qEnvironmentVariableIsEmpty("QX_STARTUP_PROBE"))
        return;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [] {
        std::fputs("idle\n", stdout);
        std::fflush(stdout);
        // Nothing is saved or torn down: the measurement ends here.
        std::_Exit(0);
    });
}
