// SIGINT, SIGTERM and SIGHUP turned into a Qt signal, so that the program ends its typesetting
// runs (killing their programs and removing their folders) instead of dying in the middle.
#pragma once

#include <QObject>

class QSocketNotifier;

class CTerminationSignals : public QObject {
    Q_OBJECT
public:
    // The one instance; its handlers are installed on first use.
    static CTerminationSignals& Get();
    // The signal number received last, 0 while none came.
    int GetReceived() const { return m_nReceived; }

signals:
    void Received(int signalNumber);

private:
    CTerminationSignals();
    void OnReadable();

    QSocketNotifier* m_pNotifier = nullptr;
    int m_nReceived = 0;
};
