#!/usr/bin/env python3
"""Rebuilds the disk states a power loss could leave behind a recorded run.

    power_loss_states.py LOG ROOT TEMPLATE LABEL WORKDIR RECOVER BESEDKA [STARTER CHAT]

LOG is the call log of the preload library write_faults (BESEDKA_FAULT_LOG),
with the bytes written in LOG.data; the run worked under the folder ROOT,
which held a copy of TEMPLATE when it started, on the working directory
ROOT/WORKDIR (Base there before the run, or STARTER's when there was none).
The states four models allow are rebuilt; each distinct one is put at ROOT,
the shell command RECOVER (the next run that takes the lock) runs, and then:
  - no temporary file is left in Base, no restore unfinished, kb check passes;
  - every file of Base holds its content before the run or one the run put
    in place; the files are those before or those after;
  - Base is wholly as before or wholly as after;
  - every backup kb backups lists as whole holds every copy as it was taken;
  - once the run has ended, Base is wholly as after: what it saved stays;
  - on a first start (STARTER given), every starter file is in the working
    directory and no stage of the copy is left; then the shell command CHAT
    (a chat that learns, and a look that it did) succeeds and kb check still
    passes.
Prints a line per model: "LABEL MODEL: N states, F failures", and the first
failures of each.

The models, from what the run synced (fsync of a file makes its data durable,
of a folder its entries):
  prefix   the calls up to the crash point, in order, all of them
  ext4     metadata in order; a file's unsynced data dropped or cut at a page
  weak     unsynced folder entries lost, one or all; a rename kept while its
           file's unsynced data is lost or reads back as zeros
  reorder  any subset of the unsynced calls (all subsets of up to 4, else a
           fixed random sample)
"""
import hashlib
import itertools
import os
import random
import re
import shutil
import subprocess
import sys

PAGE = 4096
SAMPLES = 6  # random subsets per crash point when there are too many
SHOWN = int(os.environ.get("BESEDKA_POWER_LOSS_SHOWN", "3"))  # failures printed per model


def read_log(log):
    """The calls under ROOT, as (operation, fields) with the bytes of writes."""
    calls = []
    with open(log + ".data", "rb") as data, open(log, encoding="utf-8",
                                                   errors="surrogateescape") as lines:
        for line in lines:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "write":
                fields.append(data.read(int(fields[3])))
            calls.append(fields)
    return calls


class Tree:
    """Folders and files by number; folder 0 is ROOT."""

    def __init__(self):
        self.children = {0: {}}
        self.content = {}
        self.next = 1

    def scan(self, folder, number=0):
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if os.path.islink(path):
                continue
            inode = self.new()
            self.children[number][name] = inode
            if os.path.isdir(path):
                self.children[inode] = {}
                self.scan(path, inode)
            elif os.path.isfile(path):
                with open(path, "rb") as file:
                    self.content[inode] = bytearray(file.read())

    @staticmethod
    def of(folder):
        tree = Tree()
        tree.scan(folder)
        return tree

    def new(self):
        self.next += 1
        return self.next - 1

    def copy(self):
        other = Tree()
        other.children = {k: dict(v) for k, v in self.children.items()}
        other.content = {k: bytearray(v) for k, v in self.content.items()}
        other.next = self.next
        return other

    def lookup(self, parts):
        inode = 0
        for part in parts:
            inode = self.children.get(inode, {}).get(part)
            if inode is None:
                return None
        return inode

    def apply(self, op):
        kind = op[0]
        if kind in ("create", "mkdir"):
            _, parent, name, inode = op
            self.children.setdefault(parent, {})[name] = inode
            if kind == "mkdir":
                self.children.setdefault(inode, {})
            else:
                self.content[inode] = bytearray()
        elif kind == "rename":
            _, source, old, target, new, inode = op
            self.children.setdefault(target, {})[new] = inode
            if self.children.get(source, {}).get(old) == inode:
                del self.children[source][old]
        elif kind == "remove":
            _, parent, name, inode = op
            if self.children.get(parent, {}).get(name) == inode:
                del self.children[parent][name]
        elif kind == "write":
            _, inode, offset, data = op
            content = self.content.setdefault(inode, bytearray())
            if len(content) < offset:
                content.extend(bytes(offset - len(content)))
            content[offset:offset + len(data)] = data
        elif kind == "truncate":
            _, inode, size = op
            content = self.content.setdefault(inode, bytearray())
            del content[size:]
            content.extend(bytes(size - len(content)))

    def files(self, inode=0, prefix=""):
        """Path -> bytes for files, None for folders."""
        found = {}
        for name, child in self.children.get(inode, {}).items():
            path = prefix + name
            if child in self.children:
                found[path] = None
                found.update(self.files(child, path + "/"))
            else:
                found[path] = bytes(self.content.get(child, b""))
        return found


def resolve(calls, root, initial):
    """The calls as operations on numbered folders and files."""
    tree = initial.copy()
    ops = []

    def split(path):
        if path != root and not path.startswith(root + "/"):
            return None
        parts = path[len(root) + 1:].split("/")
        return [p for p in parts if p not in ("", ".")]

    for call in calls:
        parts = split(call[1])
        if parts == [] and call[0] == "sync":
            ops.append(("sync", 0))  # ROOT's own entries made durable
            continue
        if parts is None or not parts:
            continue
        parent = tree.lookup(parts[:-1])
        if parent is None:
            continue
        name = parts[-1]
        inode = tree.children.get(parent, {}).get(name)
        op = None
        if call[0] == "open":
            if inode is None:
                op = ("create", parent, name, tree.new())
            elif call[2:] == ["truncate"]:
                op = ("truncate", inode, 0)
        elif call[0] == "mkdir" and inode is None:
            op = ("mkdir", parent, name, tree.new())
        elif call[0] == "remove" and inode is not None:
            op = ("remove", parent, name, inode)
        elif call[0] == "rename" and inode is not None:
            target = split(call[2])
            folder = tree.lookup(target[:-1]) if target else None
            if folder is not None:
                op = ("rename", parent, name, folder, target[-1], inode)
        elif call[0] == "write" and inode is not None:
            op = ("write", inode, int(call[2]), call[4])
        elif call[0] == "truncate" and inode is not None:
            op = ("truncate", inode, int(call[2]))
        elif call[0] == "sync" and inode is not None:
            op = ("sync", inode)
        if op is not None:
            tree.apply(op)
            ops.append(op)
    return ops


def touched(op):
    """The file whose data, or the folders whose entries, the operation changes."""
    if op[0] in ("write", "truncate"):
        return "data", {op[1]}
    if op[0] == "rename":
        return "names", {op[1], op[3]}
    if op[0] in ("create", "mkdir", "remove"):
        return "names", {op[1]}
    return "sync", set()


def unsynced(ops, crash):
    """Indexes of the calls before `crash` that no later sync made durable."""
    pending = []
    for i, op in enumerate(ops[:crash]):
        kind, what = touched(op)
        if kind == "sync":
            continue
        synced = any(o[0] == "sync" and o[1] in what for o in ops[i + 1:crash])
        if not synced:
            pending.append(i)
    return pending


def build(initial, ops, crash, dropped=(), cuts=()):
    tree = initial.copy()
    for i, op in enumerate(ops[:crash]):
        if i not in dropped:
            tree.apply(op)
    for inode, cut in cuts:
        content = tree.content.get(inode)
        if content is None:
            continue
        if cut[0] == "page":
            del content[cut[1]:]
        else:  # zeros from the synced length on
            content[cut[1]:] = bytes(len(content) - cut[1])
    return tree.files()


def data_variants(initial, ops, crash, pending):
    """Per file with unsynced data: dropped, cut at its first and last page,
    zeroed past what was synced. Yields (name, dropped, cuts, zeroing)."""
    by_file = {}
    for i in pending:
        if ops[i][0] in ("write", "truncate"):
            by_file.setdefault(ops[i][1], []).append(i)
    if not by_file:
        return
    yield "all data dropped", set(itertools.chain(*by_file.values())), (), False
    for inode, indexes in by_file.items():
        yield f"file {inode} data dropped", set(indexes), (), False
        synced = initial.copy()
        for i, op in enumerate(ops[:crash]):
            if i not in indexes:
                synced.apply(op)
        full = initial.copy()
        for op in ops[:crash]:
            full.apply(op)
        kept = len(synced.content.get(inode, b""))
        size = len(full.content.get(inode, b""))
        pages = [p for p in range(PAGE, size, PAGE) if p > kept]
        for page in sorted({pages[0], pages[-1]} if pages else set()):
            yield f"file {inode} cut at {page}", set(), ((inode, ("page", page)),), False
        if size > kept:
            yield f"file {inode} zeros past {kept}", set(), ((inode, ("zeros", kept)),), True


def states(initial, ops, crash, label):
    """(model, variant, files) for every state the models allow at `crash`.
    The other models start from the moments just before a sync and the end:
    any state they allow in between is one of those too, with fewer calls
    kept."""
    yield "prefix", "in order", build(initial, ops, crash)
    if crash < len(ops) and ops[crash][0] != "sync":
        return
    pending = unsynced(ops, crash)
    names = [i for i in pending if touched(ops[i])[0] == "names"]
    for variant, dropped, cuts, zeroing in data_variants(initial, ops, crash, pending):
        if not zeroing:
            yield "ext4", variant, build(initial, ops, crash, dropped, cuts)
    for i in names:
        yield "weak", f"entry of call {i} lost", build(initial, ops, crash, {i})
    if names:
        yield "weak", "unsynced entries lost", build(initial, ops, crash, set(names))
    for variant, dropped, cuts, _ in data_variants(initial, ops, crash, pending):
        if any(op[0] == "rename" for op in ops[:crash]):
            yield "weak", "renames kept, " + variant, build(initial, ops, crash, dropped, cuts)
    if len(pending) <= 4:
        subsets = [set(s) for n in range(len(pending) + 1)
                   for s in itertools.combinations(pending, n)]
    else:
        chooser = random.Random(f"{label}:{crash}")
        subsets = [{i for i in pending if chooser.random() < 0.5} for _ in range(SAMPLES)]
    for kept in subsets:
        yield "reorder", f"{len(kept)} of {len(pending)} unsynced kept", build(
            initial, ops, crash, set(pending) - kept)


def fingerprint(files):
    digest = hashlib.sha1()
    for path in sorted(files):
        digest.update(path.encode("utf-8", "surrogateescape") + b"\0")
        content = files[path]
        digest.update(b"d" if content is None else b"f" + hashlib.sha1(content).digest())
    return digest.hexdigest()


def on_disk(root):
    """Path -> bytes for files, None for folders, as `root` holds them now."""
    found = {}
    for folder, folders, names in os.walk(root):
        for name in folders + names:
            full = os.path.join(folder, name)
            path = os.path.relpath(full, root)
            if os.path.isdir(full) and not os.path.islink(full):
                found[path] = None
            elif os.path.isfile(full):
                with open(full, "rb") as file:
                    found[path] = file.read()
    return found


def put_in_place(files, root):
    """ROOT made to hold `files` and nothing else."""
    now = on_disk(root)
    for path in sorted(now, reverse=True):
        if path not in files or (files[path] is None) != (now[path] is None):
            full = os.path.join(root, path)
            shutil.rmtree(full) if now[path] is None else os.unlink(full)
    for path in sorted(files):
        full = os.path.join(root, path)
        if files[path] is None:
            os.makedirs(full, exist_ok=True)
        elif now.get(path) != files[path]:
            with open(full, "wb") as file:
                file.write(files[path])


TEMPORARY = re.compile(r"^\..*\.[A-Za-z0-9]{6}$")


class Expectations:
    """What every state must come to after the next run."""

    def __init__(self, initial, ops, workdir, starter):
        self.base = workdir + "/Base/"
        self.work = workdir
        # The starter's files outside Base, which a first start puts beside it.
        self.starter = [] if starter is None else sorted(
            name for name, content in Tree.of(starter).files().items()
            if content is not None and not name.startswith("Base/"))
        before = initial.files() if starter is None else {
            self.base + name: content
            for name, content in Tree.of(starter).files().items()
            if name.startswith("Base/")
            for name in [name[len("Base/"):]]}
        tree = initial.copy()
        self.allowed = {}
        self.backups = {}
        self.note(before)
        self.note(tree.files())
        for op in ops:
            tree.apply(op)
            if op[0] == "rename":
                self.note(tree.files())
        self.before = self.of_base(before)
        self.after = self.of_base(tree.files())

    def of_base(self, files):
        return {path[len(self.base):]: content for path, content in files.items()
                if path.startswith(self.base) and content is not None
                and "/" not in path[len(self.base):] and not path[len(self.base):].startswith(".")}

    def note(self, files):
        for name, content in self.of_base(files).items():
            self.allowed.setdefault(name, set()).add(content)
        for key, copies in backup_copies(files).items():
            for name, content in copies.items():
                self.backups.setdefault(key, {}).setdefault(name, set()).add(content)

    def check(self, root, recover, besedka, chat):
        """The reasons the state fails, and whether the next run left Base
        wholly as after."""
        reasons = []
        work = os.path.join(root, self.work)
        run = subprocess.run(recover, shell=True, capture_output=True, check=False)
        if run.returncode != 0:
            reasons.append("the next run fails: " + run.stderr.decode(errors="replace")[:200])
        files = on_disk(root)
        base = self.of_base(files)
        missing = [name for name in self.starter if self.work + "/" + name not in files]
        if missing:
            reasons.append("starter files missing after the next start: " + " ".join(missing))
        if any(p.startswith(self.work + "/.besedka-starter-") for p in files):
            reasons.append("a stage of the first start's copy left")
        names = [p for p in files if p.startswith(self.base) and "/" not in p[len(self.base):]]
        if any(TEMPORARY.match(p[len(self.base):]) for p in names):
            reasons.append("temporary files left in Base")
        if any(p.startswith("state/besedka/backups/") and p.endswith("/.restore") for p in files):
            reasons.append("a restore left unfinished")
        check = subprocess.run([besedka, "kb", "check", work], capture_output=True, check=False)
        if check.returncode != 0:
            said = (check.stdout + check.stderr).decode(errors="replace").strip().splitlines()
            reasons.append("kb check: " + (said[-1] if said else "failed"))
        for name, content in sorted(base.items()):
            if content not in self.allowed.get(name, ()):
                reasons.append(f"{name} holds a content of no save ({len(content)} bytes)")
        if set(base) not in (set(self.before), set(self.after)):
            reasons.append("the files of Base are neither those before nor those after: " +
                           " ".join(sorted(set(base) ^ set(self.after))))
        if not reasons and base not in (self.before, self.after):
            reasons.append("Base is partly old, partly new: new " + " ".join(
                sorted(n for n in base if base[n] == self.after.get(n) != self.before.get(n))))
        listed = subprocess.run([besedka, "kb", "backups", work], capture_output=True,
                                check=False).stdout.decode(errors="replace").splitlines()[2:]
        copies = backup_copies(files)
        for line in listed:
            stamp = line.split(" ")[0]
            if "damaged" in line:
                continue
            found = [key for key in copies if key.endswith("/" + stamp)]
            if len(found) != 1 or not self.taken_as(found[0], copies[found[0]]):
                reasons.append(f"backup {stamp} listed as whole, but not as taken")
        if chat is not None and not reasons:
            reasons += after_chat(chat, besedka, work)
        return reasons, base == self.after

    def taken_as(self, key, copies):
        taken = self.backups.get(key, {})
        return set(copies) == set(taken) and all(c in taken[n] for n, c in copies.items())


def after_chat(chat, besedka, work):
    """What is wrong once the working directory has chatted and learned."""
    run = subprocess.run(chat, shell=True, capture_output=True, check=False)
    if run.returncode != 0:
        return ["a chat after the next start fails: " +
                (run.stdout + run.stderr).decode(errors="replace")[-200:]]
    check = subprocess.run([besedka, "kb", "check", work], capture_output=True, check=False)
    if check.returncode != 0:
        said = (check.stdout + check.stderr).decode(errors="replace").strip().splitlines()
        return ["kb check after a chat: " + (said[-1] if said else "failed")]
    return []


def backup_copies(files):
    """"<folder>/<stamp>" -> {name: bytes} of every backup folder's copies."""
    found = {}
    for path, content in files.items():
        parts = path.split("/")
        if len(parts) >= 5 and parts[:3] == ["state", "besedka", "backups"]:
            copies = found.setdefault(parts[3] + "/" + parts[4], {})
            if len(parts) == 6 and content is not None and not parts[5].startswith("."):
                copies[parts[5]] = content
    return found


def main():
    log, root, template, label, workdir, recover, besedka = sys.argv[1:8]
    starter = sys.argv[8] if len(sys.argv) > 8 else None
    chat = sys.argv[9] if len(sys.argv) > 9 else None
    initial = Tree.of(template)
    ops = resolve(read_log(log), root, initial)
    expected = Expectations(initial, ops, workdir, starter)
    verdicts = {}  # fingerprint -> (reasons, Base wholly as after the next run)
    tally = {}
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    for crash in range(len(ops) + 1):
        for model, variant, files in states(initial, ops, crash, label):
            key = fingerprint(files)
            ended = crash == len(ops)
            seen, failed, shown = tally.setdefault(model, (set(), set(), []))
            if (key, ended) in seen:
                continue
            seen.add((key, ended))
            if key not in verdicts:
                put_in_place(files, root)
                verdicts[key] = expected.check(root, recover, besedka, chat)
            reasons, as_after = verdicts[key]
            if ended and not as_after:
                reasons = reasons + ["the run had ended, yet Base is not as it left it"]
            if reasons:
                failed.add((key, ended))
                if len(shown) < SHOWN:
                    shown.append(f"  {label} {model}, crash after call {crash} of {len(ops)},"
                                 f" {variant}: " + "; ".join(reasons))
    for model in ("prefix", "ext4", "weak", "reorder"):
        seen, failed, shown = tally.get(model, (set(), set(), []))
        print(f"{label} {model}: {len(seen)} states, {len(failed)} failures")
        for line in shown:
            print(line)
    print(f"{label}: {len(ops)} calls, {len(verdicts)} distinct states checked")


if __name__ == "__main__":
    main()
