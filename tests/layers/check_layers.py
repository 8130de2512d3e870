#!/usr/bin/env python3
"""Fails when a source file includes a layer above its own, wxWidgets outside the wx
backend and the application start-up, or OpenSSL outside the platform layer's TLS stream.
Usage: check_layers.py SRC_DIR"""
import os
import re
import sys

# Each layer and the layers it may include (itself included).
ALLOWED = {
    "res": {"res"},
    "platform": {"platform", "res"},
    "window": {"window", "platform", "res"},
    "headless": {"headless", "window", "platform", "res"},
    "wx": {"wx", "window", "platform", "res"},
    "settings": {"settings", "platform", "res"},
    "ftp": {"ftp", "platform", "res"},
    "local": {"local", "platform", "res"},
    "ui": {"ui", "ftp", "local", "settings", "window", "platform", "res"},
    "app": {"app", "ui", "ftp", "local", "settings", "headless", "wx", "window", "platform", "res"},
}
WX_ALLOWED = {"wx", "app"}
OPENSSL_ALLOWED = {"platform/tls_stream.cpp"}
LIBSECRET_ALLOWED = {"platform/secret_store.cpp"}
# The Win32 and Winsock headers belong to the platform layer (and the wx backend) alone.
WIN32_HEADER = re.compile(r"^(windows|winsock2|ws2tcpip|shellapi|shlobj|aclapi|sddl|io|direct)\.h$",
                          re.IGNORECASE)
WIN32_ALLOWED = {"platform", "wx"}


def layer_of(path):
    """The layer of a path relative to src/ (a file or an included header)."""
    parts = path.replace("\\", "/").split("/")
    if parts[0] == "platform":
        if len(parts) > 2 and parts[1] == "window" and parts[2] in ("wx", "headless"):
            return parts[2]
        if len(parts) > 1 and parts[1] == "window":
            return "window"
        return "platform"
    if parts[0] == "jobs":
        return "ui"
    return parts[0] if parts[0] in ALLOWED else None


INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def problems_in(relative_path, lines):
    layer = layer_of(relative_path)
    found = []
    if layer is None:
        return [f"{relative_path}: a folder of no known layer"]
    for number, line in enumerate(lines, 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        kind, header = match.groups()
        if kind == "<" and header.startswith("wx/") and layer not in WX_ALLOWED:
            found.append(f"{relative_path}:{number}: includes {header} outside the wx backend")
        if (kind == "<" and header.startswith("openssl/") and
                relative_path.replace("\\", "/") not in OPENSSL_ALLOWED):
            found.append(f"{relative_path}:{number}: includes {header} outside the TLS stream")
        if (kind == "<" and header.startswith("libsecret/") and
                relative_path.replace("\\", "/") not in LIBSECRET_ALLOWED):
            found.append(f"{relative_path}:{number}: includes {header} outside the keyring store")
        if kind == "<" and WIN32_HEADER.match(header) and layer not in WIN32_ALLOWED:
            found.append(f"{relative_path}:{number}: includes {header} outside the platform layer")
        if kind == '"':
            target = layer_of(header)
            if target is not None and target not in ALLOWED[layer]:
                found.append(f"{relative_path}:{number}: layer {layer} includes {header} "
                             f"(layer {target})")
    return found


def self_check():
    # The checker must catch what it exists for, or a green run proves nothing.
    assert problems_in("ftp/a.cpp", ['#include "ui/main_dialog.h"'])
    assert problems_in("ftp/a.cpp", ['#include "platform/window/window.h"'])
    assert problems_in("res/a.cpp", ['#include "platform/socket.h"'])
    assert problems_in("ui/a.cpp", ["#include <wx/button.h>"])
    assert problems_in("jobs/a.cpp", ['#include "platform/window/headless/h.h"'])
    assert not problems_in("jobs/a.cpp", ['#include "ui/main_dialog.h"', "#include <string>"])
    assert not problems_in("platform/window/wx/a.cpp", ["#include <wx/button.h>"])
    assert problems_in("ftp/a.cpp", ["#include <openssl/ssl.h>"])
    assert not problems_in("platform/tls_stream.cpp", ["#include <openssl/ssl.h>"])
    assert problems_in("ui/a.cpp", ["#include <libsecret/secret.h>"])
    assert problems_in("settings/a.cpp", ["#include <windows.h>"])
    assert not problems_in("platform/win32/a.cpp", ["#include <winsock2.h>"])


def main():
    self_check()
    src = sys.argv[1]
    problems = []
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp", ".inc")):
                continue
            full = os.path.join(root, name)
            with open(full, encoding="utf-8", errors="replace") as f:
                problems += problems_in(os.path.relpath(full, src), f.read().splitlines())
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
