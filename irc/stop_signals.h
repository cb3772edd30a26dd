#pragma once

// SIGTERM and SIGINT as a Qt signal: the handler only writes the signal's
// number to a pipe, and the event loop reads it (the self-pipe trick), so the
// stop runs as ordinary code on the loop's thread.

#include "files/file_descriptor.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>

namespace besedka::irc {

class StopSignals final : public QObject {
    Q_OBJECT
  public:
    explicit StopSignals(QObject* parent = nullptr);
    // Puts the former handlers back.
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  signals:
    void stopRequested(int signal);

  private:
    struct Pipe {
        FileDescriptor readEnd;
        FileDescriptor writeEnd;
    };
    static Pipe makePipe();
    void readSignal();

    Pipe pipe_;
    QSocketNotifier notifier_;
    struct sigaction formerTerm_ {};
    struct sigaction formerInt_ {};
};

} // namespace besedka::irc
