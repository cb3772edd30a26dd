#pragma once

// The bot in the room: hands what the room's rules pick out of the
// connection's messages to the responder, and the replies back to the
// connection. The responder's futures are collected on the connection's
// thread by a short timer that runs only while answers are awaited.

#include "hub/turn.h"
#include "irc/room_behaviour.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <future>
#include <string>
#include <vector>

namespace besedka::irc {

class Connection;
class Responder;
struct Message;

class Bot final : public QObject {
    Q_OBJECT
  public:
    using Log = std::function<void(const std::string&)>;
    Bot(Connection& connection, Responder& responder, BehaviourSettings settings, Log log,
        QObject* parent = nullptr);

    // Hears nothing more; answers still awaited are not sent.
    void stopListening();
    std::size_t awaited() const { return turns_.size() + endings_.size(); }

  private:
    struct AwaitedTurn {
        Phrase phrase;
        std::future<TurnOutcome> outcome;
    };
    struct AwaitedEnd {
        std::string conversation;
        std::future<bool> ended;
    };

    void hear(const Message& message);
    void collect();
    void reply(const Phrase& phrase, const TurnOutcome& outcome);
    void endConversation(std::string conversation);

    Connection& connection_;
    Responder& responder_;
    RoomBehaviour behaviour_;
    Log log_;
    bool listening_ = true;
    std::vector<AwaitedTurn> turns_;
    std::vector<AwaitedEnd> endings_;
    QTimer collectTimer_;
};

} // namespace besedka::irc
