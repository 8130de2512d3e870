#!/bin/sh
# Runs a command inside a session bus of its own with GNOME Keyring on it, its login keyring
# made and unlocked for the run: the desktop's keyring, without a desktop or a person to type.
# Usage (under dbus-run-session): in_keyring_session.sh COMMAND ARGS...
set -eu
XDG_RUNTIME_DIR=$(mktemp -d)
HOME=$(mktemp -d)
export XDG_RUNTIME_DIR HOME
trap 'rm -rf "$XDG_RUNTIME_DIR" "$HOME"' EXIT
printf '%s' "unlock-for-the-tests" |
  gnome-keyring-daemon --unlock --components=secrets --daemonize >/dev/null
QUORREL_IN_KEYRING_SESSION=1 "$@"
