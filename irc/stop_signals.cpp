#include "irc/stop_signals.h"

#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace besedka::irc {
namespace {

// The one pipe the handler writes to; a handler can reach nothing else.
volatile std::sig_atomic_t signalPipe = -1;

extern "C" void writeSignalNumber(int signal) {
    const auto number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe, &number, 1);
}

void handle(int signal, struct sigaction& former) {
    struct sigaction action {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, &former);
}

} // namespace

StopSignals::Pipe StopSignals::makePipe() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("cannot make a pipe for the stop signals");
    }
    return Pipe{FileDescriptor(ends[0]), FileDescriptor(ends[1])};
}

StopSignals::StopSignals(QObject* parent)
    : QObject(parent), pipe_(makePipe()), notifier_(pipe_.readEnd.get(), QSocketNotifier::Read) {
    signalPipe = pipe_.writeEnd.get();
    connect(&notifier_, &QSocketNotifier::activated, this, &StopSignals::readSignal);
    handle(SIGTERM, formerTerm_);
    handle(SIGINT, formerInt_);
}

StopSignals::~StopSignals() {
    ::sigaction(SIGTERM, &formerTerm_, nullptr);
    ::sigaction(SIGINT, &formerInt_, nullptr);
    signalPipe = -1;
}

void StopSignals::readSignal() {
    unsigned char number = 0;
    while (::read(pipe_.readEnd.get(), &number, 1) == 1) {
        emit stopRequested(number);
    }
}

} // namespace besedka::irc
