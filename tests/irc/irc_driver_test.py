#!/usr/bin/env python3
"""The bot's connection and manners against a real ngircd on loopback, with
the hub replaced by the test's echo bot (irc_echo_bot): registration, nick
collisions, addressing, splitting, encodings, CTCP, flood pace, kicks, a
restarted server and a clean stop.

usage: irc_driver_test.py ECHO_BOT fast|slow"""

import os
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from irc_harness import Bot, Client, Folder, Server, check, privmsgs  # noqa: E402

ECHO_BOT = sys.argv[1]


def start_bot(server, folder, *options, name="bot"):
    command = [ECHO_BOT, "--server", "127.0.0.1:%d" % server.port] + list(options)
    env = {"BESEDKA_ECHO_LOG": os.path.join(folder, name + ".said")}
    return Bot(command, folder, name, env)


def said(folder, name="bot"):
    path = os.path.join(folder, name + ".said")
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as source:
        return source.read().splitlines()


def joined(client, nick, channel="#room", timeout=10):
    return client.wait_for(
        lambda l: l.startswith(":%s!" % nick) and " JOIN " in l and channel in l,
        timeout, "%s joining %s" % (nick, channel))


def reply_to(client, source, timeout=5):
    line = client.wait_for(
        lambda l: l.startswith(":%s!" % source) and " PRIVMSG " in l, timeout,
        "a PRIVMSG from " + source)
    return line.split(" :", 1)[1]


def nothing_from(client, source, seconds):
    lines = privmsgs(client.collect(seconds), client, source)
    check(not lines, "%s said what it should not: %r" % (source, lines))


def test_talk(folder):
    """Registration, a nick collision and the nick taken back, joining,
    addressed, unaddressed and private messages, formatting, NOTICE, an
    ignored bot, CTCP, a long reply split in UTF-8, SIGTERM."""
    server = Server(folder, password="secret")
    server.start()
    squatter = Client(server.port, "besedka", password="secret")
    squatter.send("JOIN #room")  # where the bot sees it leave
    alice = Client(server.port, "alice", password="secret")
    alice.send("JOIN #room")
    joined(alice, "alice")
    with open(os.path.join(folder, "password"), "w") as out:
        out.write("secret\n")
    bot = start_bot(server, folder, "--channel", "#room", "--ignore", "OtherBot",
                    "--password-file", os.path.join(folder, "password"), "--nick", "besedka")
    try:
        joined(alice, "besedka_")
        squatter.close()
        alice.wait_for(lambda l: l.startswith(":besedka_!") and " NICK " in l, 10,
                       "the bot taking its nick back")

        alice.say("#room", "Besedka: \x02привет\x02 \x0304,12всем\x03")
        check(reply_to(alice, "besedka") == "alice: эхо: привет всем", "addressed reply")
        alice.say("#room", "BESEDKA, как дела?")
        check(reply_to(alice, "besedka") == "alice: эхо: как дела?", "comma address")
        alice.say("#room", "просто разговор besedka: не мне")
        alice.send("NOTICE #room :besedka: уведомление")
        alice.send("NOTICE besedka :уведомление")
        nothing_from(alice, "besedka", 1.5)

        alice.say("besedka", "лично")
        check(reply_to(alice, "besedka") == "эхо: лично", "private reply, no address")

        other = Client(server.port, "OtherBot", password="secret")
        other.say("besedka", "я тоже бот")
        nothing_from(other, "besedka", 1.5)

        alice.say("besedka", "\x01VERSION\x01")
        version = alice.wait_for(lambda l: " NOTICE alice :\x01VERSION" in l, 5, "VERSION reply")
        check("echo_bot 1" in version, version)
        alice.say("besedka", "\x01PING 4242\x01")
        alice.wait_for(lambda l: " NOTICE alice :\x01PING 4242\x01" in l, 5, "PING reply")
        alice.say("besedka", "\x01" "ACTION машет\x01")
        alice.say("besedka", "\x01TIME\x01")
        lines = alice.collect(1.5)
        check(not [l for _, l in lines if b"besedka" in l.split(b" ")[0]],
              "other CTCP answered: %r" % lines)

        # Another sender: alice has said five things within ten seconds.
        carol = Client(server.port, "carol", password="secret")
        carol.send("JOIN #room")
        joined(carol, "carol")
        carol.say("#room", "besedka: длинно")
        reply = []
        while not reply or not reply[-1].endswith("конец"):
            line = carol.wait_for(lambda l: l.startswith(":besedka!") and " PRIVMSG " in l, 10,
                                  "the long reply")
            raw = carol.lines[carol.read_up_to - 1][1]
            check(len(raw) + 2 <= 512, "a relayed line of %d bytes" % (len(raw) + 2))
            text = line.split(" :", 1)[1]
            check(text.startswith("carol: "), "every line addressed: " + text)
            reply.append(text[len("carol: "):])
        words = " ".join(reply).split(" ")
        check(len(reply) == 4, "the long reply in %d lines" % len(reply))
        check(words == ["слово%d" % i for i in range(120)] + ["конец"], "words kept whole")

        spoken = [l for l in said(folder) if l.startswith("SAY ")]
        check(len(spoken) == 4, "phrases that reached the hub: %r" % spoken)
        check(not [l for l in spoken if "OtherBot" in l or "уведомление" in l or "не мне" in l],
              "ignored messages reached the hub")
        check(spoken[0].endswith("| привет всем"), "formatting stripped: " + spoken[0])

        status = bot.stop(signal.SIGTERM)
        quit_line = alice.wait_for(lambda l: l.startswith(":besedka!") and " QUIT " in l, 5,
                                   "the bot's QUIT")
        check("До свидания!" in quit_line, quit_line)
        check(status == 0, "exit status %d after SIGTERM" % status)
        check(said(folder)[-1] == "STOP", "the responder stopped")
    finally:
        bot.kill()
        print(bot.log())
        server.stop()


def test_windows_1251(folder):
    """A Windows-1251 network: the bot sends Windows-1251 and reads a client's
    Windows-1251 and UTF-8 alike; its long replies split within the limit."""
    server = Server(folder)
    server.start()
    boris = Client(server.port, "boris", encoding="cp1251")
    boris.send("JOIN #room")
    joined(boris, "boris")
    bot = start_bot(server, folder, "--channel", "#room", "--encoding", "cp1251")
    try:
        joined(boris, "besedka")
        boris.say("#room", "besedka: привет, Ёжик")
        boris.wait_for(lambda l: l.startswith(":besedka!") and " PRIVMSG " in l, 5, "reply")
        raw = boris.lines[boris.read_up_to - 1][1]
        check(raw.endswith("boris: эхо: привет, Ёжик".encode("cp1251")), raw)
        boris.send("PRIVMSG besedka :как в UTF-8".encode("utf-8"))
        boris.wait_for(lambda l: " PRIVMSG boris " in l, 5, "reply")
        raw = boris.lines[boris.read_up_to - 1][1]
        check(raw.endswith("эхо: как в UTF-8".encode("cp1251")), raw)

        boris.say("#room", "besedka: длинно")
        pieces = []
        while not pieces or not pieces[-1].endswith("конец".encode("cp1251")):
            boris.wait_for(lambda l: l.startswith(":besedka!") and " PRIVMSG " in l, 10, "reply")
            raw = boris.lines[boris.read_up_to - 1][1]
            check(len(raw) + 2 <= 512, "a relayed line of %d bytes" % (len(raw) + 2))
            pieces.append(raw.split(b" :", 1)[1])
        check(len(pieces) == 3, "one byte a letter, 3 lines where UTF-8 takes 4: %d" % len(pieces))
        spoken = said(folder)
        check(spoken[0].endswith("| привет, Ёжик") and spoken[1].endswith("| как в UTF-8"),
              "read as said: %r" % spoken)
        check(bot.stop() == 0, "exit status")
    finally:
        bot.kill()
        print(bot.log())
        server.stop()


def test_tls(folder):
    """TLS through Qt's sockets: a server whose certificate nobody vouches for
    is refused with a clear line; trusted with --tls-ca, the bot talks."""
    server = Server(folder, tls=True)
    server.start()
    alice = Client(server.port, "alice")
    alice.send("JOIN #room")
    joined(alice, "alice")
    address = "localhost:%d" % server.tls_port
    refused = Bot([ECHO_BOT, "--tls", "--server", address, "--channel", "#room"], folder,
                  "refused")
    bot = None
    try:
        deadline = time.time() + 10
        while "untrusted" not in refused.log():
            check(time.time() < deadline, "no word of the untrusted certificate: " + refused.log())
            time.sleep(0.1)
        check(refused.stop() == 0, "exit status of the refused bot")
        check("registered" not in refused.log(), refused.log())
        bot = Bot([ECHO_BOT, "--tls-ca", server.cert, "--server", address, "--channel", "#room"],
                  folder, "trusting")
        joined(alice, "besedka")
        alice.say("#room", "besedka: тайно")
        check(reply_to(alice, "besedka") == "alice: эхо: тайно", "a reply over TLS")
        check("(TLS)" in bot.log(), bot.log())
        check(bot.stop() == 0, "exit status")
    finally:
        if bot:
            print(bot.log())
        refused.kill()
        if bot:
            bot.kill()
        server.stop()


def test_pace_and_flood(folder):
    """20 phrases in 2 seconds from one client: at most 4 lines at once, then
    one a second, and the flooder heard no more than 5 times."""
    server = Server(folder)
    server.start()
    flood = Client(server.port, "flood")
    calm = Client(server.port, "calm")
    for client in (flood, calm):
        client.send("JOIN #room")
        joined(client, client.nick)
    bot = start_bot(server, folder, "--channel", "#room")
    try:
        joined(calm, "besedka")
        # calm reads all along, so each line's time is when it came.
        lines = []
        for i in range(20):
            flood.say("#room", "besedka: фраза %d" % i)
            if i < 3:
                calm.say("#room", "besedka: спокойно %d" % i)
            lines += calm.collect(0.1)
        lines += calm.collect(6)
        replies = privmsgs(lines, calm, "besedka")
        check(len(replies) == 8, "5 replies to the flooder, 3 to calm: %r" % replies)
        times = [at for at, _, _ in replies]
        for i in range(len(times)):
            check(len([t for t in times if times[i] <= t < times[i] + 0.9]) <= 4,
                  "more than 4 lines within 0.9 s: %r" % times)
        gaps = [b - a for a, b in zip(times, times[1:])]
        check(all(0.8 <= gap <= 1.5 for gap in gaps[3:]),
              "one a second after the burst: %r" % gaps)
        spoken = [l for l in said(folder) if l.startswith("SAY ") and " flood | " in l]
        check(len(spoken) == 5, "the flooder was heard %d times" % len(spoken))
        bot.stop()
    finally:
        bot.kill()
        print(bot.log())
        server.stop()


def test_kick_and_restart(folder):
    """A kick: rejoined after a delay. The server stopped and started again:
    the bot reconnects with backoff and rejoins."""
    server = Server(folder)
    server.start()
    op = Client(server.port, "op")
    op.send("JOIN #room")
    joined(op, "op")
    bot = start_bot(server, folder, "--channel", "#room")
    try:
        joined(op, "besedka")
        kicked_at = time.time()
        op.send("KICK #room besedka :out")
        joined(op, "besedka", timeout=15)
        waited = time.time() - kicked_at
        check(4 <= waited <= 8, "rejoined %.1f s after the kick" % waited)
        kicked_at = time.time()
        op.send("KICK #room besedka :again")
        joined(op, "besedka", timeout=20)
        waited = time.time() - kicked_at
        check(9 <= waited <= 13, "rejoined %.1f s after the second kick" % waited)

        server.stop()
        time.sleep(3)
        server.start()
        op = Client(server.port, "op")
        op.send("JOIN #room")
        joined(op, "besedka", timeout=20)
        log = bot.log()
        check("reconnecting in 2 s" in log and "reconnecting in 4 s" in log, log)
        check(log.count("registered as") == 2, log)
        bot.stop()
    finally:
        bot.kill()
        print(bot.log())
        server.stop()


FAST = [test_talk, test_windows_1251, test_tls]
SLOW = [test_pace_and_flood, test_kick_and_restart]

if __name__ == "__main__":
    for test in FAST if sys.argv[2] == "fast" else SLOW:
        with Folder() as folder:
            started = time.time()
            test(folder)
            print("%s passed in %.1f s" % (test.__name__, time.time() - started))
