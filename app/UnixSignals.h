#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal on the main thread, so that a logout or a kill closes the main
// window as the user's close would: the running session is finished and the settings are written.
class TUnixSignals : public QObject {
    Q_OBJECT
public:
    explicit TUnixSignals(QObject* parent = nullptr);
    ~TUnixSignals() override;

Q_SIGNALS:
    void TerminationRequested();

private:
    void Drain();

    QSocketNotifier* Notifier = nullptr;
};
