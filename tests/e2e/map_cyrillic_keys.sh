#!/usr/bin/env bash
# Gives the named Cyrillic letters (keysym names without "Cyrillic_", e.g.
# "en de") keys of their own in the X server's keyboard map. Without it
# xdotool borrows a spare key for each Cyrillic keysym and gives it back at
# once, and a program that reads the key after the map was restored sees no
# letter: a menu accelerator would be lost on a busy machine. The server has
# only a few spare keys, so name just the letters the keys are needed for.
set -euo pipefail
expressions=()
for letter in "$@"; do
    expressions+=(-e "keycode any = Cyrillic_${letter} Cyrillic_${letter^^}")
done
[ ${#expressions[@]} -eq 0 ] || xmodmap "${expressions[@]}"
