#!/usr/bin/env python3
"""`besedka irc` end to end: the real program on a copy of the starter
working directory, against a real ngircd on loopback that the test starts,
with scripted clients in the room. What the bot learns is read back with
`besedka kb find`, and its log blocks from the dialogue log.

usage: irc_bot_test.py BESEDKA DATA_DIR"""

import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from irc_harness import Bot, Client, Folder, Server, check, privmsgs  # noqa: E402

BESEDKA, DATA = sys.argv[1], sys.argv[2]


def environment(folder):
    # Backups and everything else of the user's stay in the test's folder.
    return {"HOME": folder, "XDG_STATE_HOME": os.path.join(folder, "state"),
            "XDG_DATA_HOME": os.path.join(folder, "data"), "BESEDKA_CLOCK": "36000000"}


def workdir_in(folder):
    work = os.path.join(folder, "work")
    shutil.copytree(DATA, work)
    return work


def start_bot(server, folder, work, *options):
    command = [BESEDKA, "irc", "--server", "127.0.0.1:%d" % server.port] + list(options) + [work]
    return Bot(command, folder, "besedka", environment(folder))


def knows(folder, work, text):
    """Whether a line of the knowledge tree holds `text`."""
    found = subprocess.run([BESEDKA, "kb", "find", text, work], capture_output=True,
                           text=True, env=dict(os.environ, **environment(folder)))
    return found.returncode == 0 and text.lower() in found.stdout.lower()


def log_blocks(work):
    with open(os.path.join(work, "Base", "Log.Halden"), "rb") as source:
        text = source.read().decode("cp1251")
    return text.split("=====================================================")[:-1]


def reply(client, timeout=10):
    line = client.wait_for(lambda l: l.startswith(":besedka!") and " PRIVMSG " in l, timeout,
                           "a reply")
    return line.split(" :", 1)[1]


def joined(client, nick, timeout=10):
    client.wait_for(lambda l: l.startswith(":%s!" % nick) and " JOIN " in l, timeout,
                    nick + " joining")


def test_talks_learns_and_ends_cleanly(folder):
    """Answers and learns in a channel and in private, keeps a conversation
    across a nick change, ends one at a farewell, teaches nothing for a
    flooder past the limit, and at SIGTERM says QUIT and writes the rest."""
    work = workdir_in(folder)
    blocks_before = len(log_blocks(work))
    server = Server(folder)
    server.start()
    alice = Client(server.port, "alice")
    watcher = Client(server.port, "watcher")
    for client in (alice, watcher):
        client.send("JOIN #room")
        joined(client, client.nick)
    bot = start_bot(server, folder, work, "--channel", "#room")
    try:
        joined(alice, "besedka")
        alice.say("#room", "besedka: привет")
        check(reply(alice).startswith("alice: "), "a reply addressed to alice")
        alice.say("#room", "besedka: зелёный кактус поёт басом")
        check(reply(alice).startswith("alice: "), "a reply to the unknown phrase")
        check(knows(folder, work, "кактус поёт басом"), "the unknown phrase was learned")
        alice.say("#room", "кактус без адреса не учится")
        time.sleep(1)
        check(not knows(folder, work, "без адреса"), "an unaddressed phrase was learned")

        alice.send("NICK alisa")
        alice.wait_for(lambda l: " NICK " in l, 5, "the nick change")
        alice.say("#room", "besedka: а я уже алиса")
        check(reply(alice).startswith("alisa: "), "the reply follows the new nick")

        bob = Client(server.port, "bob")
        bob.say("besedka", "привет")
        reply(bob)
        bob.say("besedka", "пока")
        reply(bob)
        time.sleep(0.5)
        farewell = log_blocks(work)[blocks_before:]
        check(len(farewell) == 1 and "USER:     Пока." in farewell[0],
              "the farewell's block: %r" % farewell)

        flood = Client(server.port, "flood")
        for i in range(20):
            flood.say("besedka", "флудовая фраза номер %s" % "абвгдежзиклмнопрстуф"[i])
            time.sleep(0.1)
        answers = privmsgs(flood.collect(3), flood, "besedka")
        check(len(answers) == 5, "the flooder got %d answers" % len(answers))
        taught = [i for i in range(20) if knows(folder, work, "номер " + "абвгдежзиклмнопрстуф"[i])]
        check(all(i < 5 for i in taught), "the flooder taught phrases %r" % taught)

        status = bot.stop(signal.SIGTERM)
        watcher.wait_for(lambda l: l.startswith(":besedka!") and " QUIT " in l, 5, "QUIT")
        check(status == 0, "exit status %d" % status)
        blocks = log_blocks(work)[blocks_before + 1:]
        # alice's channel conversation (one block across her nick change) and
        # the flooder's private one.
        check(len(blocks) == 2, "%d log blocks at SIGTERM" % len(blocks))
        channel = [b for b in blocks if "Кактус" in b or "кактус" in b]
        check(len(channel) == 1 and "А я уже алиса" in channel[0], "blocks: %r" % blocks)
        checked = subprocess.run([BESEDKA, "kb", "check", work], capture_output=True, text=True,
                                 env=dict(os.environ, **environment(folder)))
        check(checked.returncode == 0, "kb check: " + checked.stdout + checked.stderr)
    finally:
        bot.kill()
        print(bot.log())
        server.stop()


def test_windows_1251_network(folder):
    """--encoding cp1251 and a client sending Windows-1251: answered in
    Windows-1251 and learned as said."""
    work = workdir_in(folder)
    server = Server(folder)
    server.start()
    boris = Client(server.port, "boris", encoding="cp1251")
    boris.send("JOIN #room")
    joined(boris, "boris")
    bot = start_bot(server, folder, work, "--channel", "#room", "--encoding", "cp1251")
    try:
        joined(boris, "besedka")
        boris.say("#room", "besedka: привет")
        boris.wait_for(lambda l: l.startswith(":besedka!") and " PRIVMSG " in l, 10, "reply")
        raw = boris.lines[boris.read_up_to - 1][1]
        text = raw.split(b" :", 1)[1]
        check(text.startswith(b"boris: "), raw)
        try:
            text.decode("utf-8")
            check(False, "the reply was sent in UTF-8: %r" % text)
        except UnicodeDecodeError:
            pass
        letters = [c for c in text.decode("cp1251") if "а" <= c.lower() <= "я"]
        check(len(letters) >= 3, "a Russian reply in Windows-1251: %r" % text)
        boris.say("#room", "besedka: ёжик в тумане ищет лошадку")
        reply(boris)
        check(knows(folder, work, "ёжик в тумане ищет лошадку"), "the Windows-1251 phrase learned")
        check(bot.stop() == 0, "exit status")
    finally:
        bot.kill()
        print(bot.log())
        server.stop()


def test_wrong_use(folder):
    """A newcomer's mistakes get one clear line and status 2, nothing else."""
    cases = [
        ([], "--server HOST[:PORT] is needed"),
        (["--server"], "--server needs a value"),
        (["--server", "localhost", "--channel"], "quote it"),
        (["--server", "localhost:99999"], "--server expects HOST[:PORT]"),
        (["--server", "localhost", "--encoding", "koi8-r"], "utf-8 or cp1251"),
        (["--server", "localhost", "--nick", "9lives"], "not a nick"),
        (["--server", "localhost", "--password-file", os.path.join(folder, "none")],
         "cannot read the password file"),
        (["--server", "localhost", os.path.join(folder, "missing")], "no such directory"),
        (["--server", "localhost", "--frobnicate"], "unknown option"),
    ]
    for args, expected in cases:
        run = subprocess.run([BESEDKA, "irc"] + args, capture_output=True, text=True,
                             env=dict(os.environ, **environment(folder)), timeout=10)
        check(run.returncode == 2, "%r: status %d" % (args, run.returncode))
        check(expected in run.stderr and run.stderr.count("\n") == 1,
              "%r: %r" % (args, run.stderr))
    helped = subprocess.run([BESEDKA, "irc", "--help"], capture_output=True, text=True)
    check(helped.returncode == 0 and "--channel" in helped.stdout, helped.stdout)
    check(all(len(line) <= 80 for line in helped.stdout.splitlines()), "help wider than 80")


if __name__ == "__main__":
    for test in (test_wrong_use, test_talks_learns_and_ends_cleanly, test_windows_1251_network):
        with Folder() as folder:
            started = time.time()
            test(folder)
            print("%s passed in %.1f s" % (test.__name__, time.time() - started))
