"""A real IRC server (ngircd) on loopback and scripted clients in its rooms,
for the tests of the bot. The server runs in the foreground on a free port
and goes with the test; the clients speak raw lines over a socket."""

import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Server:
    """ngircd in the foreground, on a free loopback port."""

    def __init__(self, folder, port=None, password=None, tls=False):
        self.folder = folder
        self.port = port or free_port()
        self.tls_port = None
        self.conf = os.path.join(folder, "ngircd.conf")
        motd = os.path.join(folder, "motd")
        with open(motd, "w") as out:
            out.write("test\n")
        lines = [
            "[Global]",
            "Name = irc.test",
            "Info = besedka test server",
            "Listen = 127.0.0.1",
            "Ports = %d" % self.port,
            "MotdFile = %s" % motd,
        ]
        if password:
            lines.append("Password = %s" % password)
        if os.getuid() == 0:
            lines += ["ServerUID = 65534", "ServerGID = 65534"]
        lines += [
            "[Limits]",
            "MaxConnectionsIP = 0",
            "PingTimeout = 300",
            "MaxPenaltyTime = 0",  # the test clients flood on purpose
            "[Options]",
            "Ident = no",
            "DNS = no",
            "PAM = no",
        ]
        if tls:
            # A certificate of its own for localhost, which no one trusts
            # unless told.
            self.tls_port = free_port()
            self.cert = os.path.join(folder, "cert.pem")
            key = os.path.join(folder, "key.pem")
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                            "-keyout", key, "-out", self.cert, "-days", "2",
                            "-subj", "/CN=localhost",
                            "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1"],
                           check=True, capture_output=True)
            os.chmod(key, 0o644)  # ngircd reads it after giving up root
            lines += ["[SSL]", "Ports = %d" % self.tls_port, "CertFile = " + self.cert,
                      "KeyFile = " + key]
        with open(self.conf, "w") as out:
            out.write("\n".join(lines) + "\n")
        self.process = None

    def start(self):
        self.process = subprocess.Popen(
            ["ngircd", "-n", "-f", self.conf],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while time.time() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.port), 0.2).close()
                return
            except OSError:
                time.sleep(0.05)
        raise AssertionError("ngircd did not start on port %d" % self.port)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)
        self.process = None


class Client:
    """One person in the rooms, reading and writing raw protocol lines."""

    def __init__(self, port, nick, encoding="utf-8", password=None):
        self.nick = nick
        self.encoding = encoding
        self.sock = socket.create_connection(("127.0.0.1", port), 5)
        self.buffer = b""
        self.read_up_to = 0  # lines before this one were looked at
        self.lines = []  # (time, raw bytes) of every line read
        if password:
            self.send("PASS " + password)
        self.send("NICK " + nick)
        self.send("USER %s 0 * :%s" % (nick.lower(), nick))
        self.wait_for(lambda line: " 001 " in line, 10, "welcome for " + nick)

    def send(self, text):
        data = text.encode(self.encoding) if isinstance(text, str) else text
        self.sock.sendall(data + b"\r\n")

    def say(self, target, text):
        self.send("PRIVMSG %s :%s" % (target, text))

    def _read(self, timeout):
        self.sock.settimeout(max(timeout, 0.01))
        try:
            data = self.sock.recv(65536)
        except socket.timeout:
            return
        if not data:
            raise AssertionError(self.nick + ": the server closed the connection")
        self.buffer += data
        while b"\n" in self.buffer:
            raw, self.buffer = self.buffer.split(b"\n", 1)
            raw = raw.rstrip(b"\r")
            self.lines.append((time.time(), raw))
            if raw.startswith(b"PING"):
                self.sock.sendall(b"PONG" + raw[4:] + b"\r\n")

    def text(self, raw):
        try:
            return raw.decode("utf-8")
        except UnicodeDecodeError:
            return raw.decode("cp1251")

    def wait_for(self, test, timeout, what):
        """The first unread line (as text) that passes `test`; lines before it are read."""
        deadline = time.time() + timeout
        while True:
            while self.read_up_to < len(self.lines):
                raw = self.lines[self.read_up_to][1]
                self.read_up_to += 1
                if test(self.text(raw)):
                    return self.text(raw)
            remaining = deadline - time.time()
            if remaining <= 0:
                raise AssertionError("%s: no %s in %.0f s; last lines:\n%s" % (
                    self.nick, what, timeout,
                    "\n".join(self.text(l) for _, l in self.lines[-8:])))
            self._read(remaining)

    def collect(self, seconds):
        """Reads for `seconds` and returns the lines read then (time, raw)."""
        start = len(self.lines)
        deadline = time.time() + seconds
        while time.time() < deadline:
            self._read(deadline - time.time())
        self.read_up_to = len(self.lines)
        return self.lines[start:]

    def close(self):
        try:
            self.send("QUIT :done")
        except OSError:
            pass
        self.sock.close()


def privmsgs(lines, client, source):
    """(time, target, text) of the PRIVMSGs from `source` among `lines`."""
    found = []
    pattern = re.compile(r"^:([^! ]+)!\S+ PRIVMSG (\S+) :(.*)$", re.S)
    for at, raw in lines:
        match = pattern.match(client.text(raw))
        if match and match.group(1).lower() == source.lower():
            found.append((at, match.group(2), match.group(3)))
    return found


class Bot:
    """The bot program as a child process with its own log."""

    def __init__(self, command, folder, name="bot", env=None):
        self.log_path = os.path.join(folder, name + ".err")
        self.err = open(self.log_path, "w")
        environment = dict(os.environ)
        environment.update(env or {})
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=self.err,
                                        env=environment)

    def log(self):
        with open(self.log_path) as source:
            return source.read()

    def stop(self, sig=signal.SIGTERM, timeout=20):
        if self.process.poll() is None:
            self.process.send_signal(sig)
        status = self.process.wait(timeout)
        self.err.close()
        return status

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class Folder:
    def __enter__(self):
        self.path = tempfile.mkdtemp(prefix="besedka-irc-")
        os.chmod(self.path, 0o755)
        return self.path

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)
