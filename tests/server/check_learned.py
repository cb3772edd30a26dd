#!/usr/bin/env python3
"""Checks a tree against what the server answered: every turn answered as
learned has its line in the tree, and a conversation's new phrases said one
after another hang one under the other, as if it had learned alone.

Usage: check_learned.py [--strict] TREE.txt RESULTS.json... (TREE.txt:
`kb lines` of Base/Words.Dat). Prints one line per fault; exits 1 when there is any.
"""
import json
import sys


def cyrillic_upper(text):
    """Keys are the phrase with its Cyrillic letters in capitals (Latin stays)."""
    return "".join(c.upper() if "а" <= c <= "я" or c == "ё" else c for c in text)


def parse_tree(path):
    lines = open(path, encoding="utf-8").read().split("\n")[1:]  # line 0 is the header
    keys = []
    depths = []
    answered = []
    for line in lines:
        if not line:
            continue
        depth = len(line) - len(line.lstrip("_"))
        key, _, answers = line[depth:].partition("^")
        keys.append(key)
        depths.append(depth)
        answered.append(answers != "")
    return keys, depths, answered


def hangs_under(child, parent, depths, moved, strict):
    """Whether line `child` was learned under `parent`, as the conversation's
    own walk had it: one level deeper, and after it unless either moved (the
    design moves a line that takes an answer, alone, as the chat moves it).
    With `strict`, also in its branch: every line between them deeper than
    `parent`, but for lines that moved there or whose own parent moved away,
    with the lines under them."""
    if depths[child] != depths[parent] + 1:
        return False
    if moved[child] or moved[parent]:
        return True
    if child <= parent:
        return False
    floor = depths[parent]
    for i in range(parent + 1, child):
        if not strict or depths[i] > floor:
            continue
        if not moved[i]:
            return False
        floor = depths[i]
    return True


def main():
    strict = "--strict" in sys.argv
    paths = [arg for arg in sys.argv[1:] if arg != "--strict"]
    keys, depths, answered = parse_tree(paths[0])
    where = {}
    for i, key in enumerate(keys):
        where.setdefault(key, []).append(i)
    all_results = [json.load(open(path, encoding="utf-8")) for path in paths[1:]]
    # Lines that moved, and lines whose own parent moved from above them.
    moved = list(answered)
    for results in all_results:
        for turns in results.values():
            previous = None
            for text, status, shown, was_learned in turns:
                key = cyrillic_upper(shown) if shown else None
                if status == 200 and was_learned and text.startswith("Фраза ") and key in where:
                    if previous in where and any(answered[i] for i in where[previous]):
                        for i in where[key]:
                            moved[i] = True
                    previous = key
                elif status != 200:
                    previous = None
    faults = []
    learned = 0
    for results in all_results:
        for conversation, turns in results.items():
            previous_new = None
            for text, status, shown, was_learned in turns:
                if status != 200:
                    faults.append("%s: %r answered %s" % (conversation, text, status))
                    previous_new = None
                    continue
                key = cyrillic_upper(shown)
                new = text.startswith("Фраза ")
                if was_learned:
                    learned += 1
                    if key not in where:
                        faults.append("%s: %r was learned, but no tree line has key %r"
                                      % (conversation, text, key))
                if new and was_learned and previous_new in where and key in where:
                    if not hangs_under(where[key][0], where[previous_new][0], depths, moved, strict):
                        faults.append("%s: %r does not hang under %r"
                                      % (conversation, key, previous_new))
                if new and was_learned:
                    previous_new = key  # phrases the tree answers keep the walk where it was
    for fault in faults[:20]:
        print(fault)
    print("%d learned turns checked, %d faults" % (learned, len(faults)))
    sys.exit(1 if faults else 0)


main()
