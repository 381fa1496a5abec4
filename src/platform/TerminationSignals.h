#pragma once

#include <QObject>

class QSocketNotifier;

namespace vimbrel::platform {

// The signals that ask the program to end: SIGTERM (idle tools and screen
// lockers stop their screen saver with it), SIGINT (Ctrl+C in a terminal)
// and SIGHUP (the terminal or session going away). Each arrives as Received
// on the UI thread, where the program ends as it ends by itself. Should a
// second one come before the first is handled, the process ends on the spot.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    void Received(int signalNumber);

private:
    void Drain();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace vimbrel::platform
