#!/usr/bin/env bash
# The Windows program under Wine against vsftpd, proftpd and pure-ftpd on loopback, plain and
# over TLS 1.3, passive and active: a file downloaded and a folder uploaded in script mode,
# compared byte for byte. Needs root (the servers log in a system user) and scripts/peers.
# Usage: real_servers.sh FTPQUORREL.EXE
set -euo pipefail
exe=$(realpath "$1")
here="$(cd "$(dirname "$0")" && pwd)"
peer="$here/../interop/ftp_peer.py"
wine=/usr/lib/wine/wine64
work=$(mktemp -d /tmp/quorrel-wine-servers-XXXXXX)
trap '[[ -n ${KEEP:-} ]] || rm -rf "$work"' EXIT
user=quorrelftp
password=Quorrel-peer-1

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 2>/dev/null
cat "$work/key.pem" "$work/cert.pem" >"$work/server.pem"

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

failures=0
first=1
for kind in vsftpd proftpd pure-ftpd; do
  for security in plain tls; do
    port=$(free_port)
    low=$((41000 + RANDOM % 2000 * 10))
    tls=()
    prefix=""
    if [[ $security == tls ]]; then
      tls=(--tls 1.3 --cert "$work/server.pem")
      prefix="ftpes://"
    fi
    mkdir -p "$work/$kind-$security"
    python3 "$peer" "$kind" "$port" "$work/$kind-$security" "${tls[@]}" --pasv "$low:$((low + 9))" \
      --lifetime 90 >"$work/$kind-$security/peer.log" 2>&1 &
    for _ in $(seq 100); do
      (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
      sleep 0.1
    done
    if ((first)); then
      # The peer made the user; its server folder is one of its own.
      home=$(getent passwd "$user" | cut -d: -f6)
      first=0
    fi
    for passive in 1 0; do
      cell="$kind $security $([[ $passive == 1 ]] && echo passive || echo active)"
      remote=$(mktemp -d "$home/wine-XXXXXX")
      head -c 1000000 /dev/urandom >"$remote/blob.bin"
      printf 'a\nb\n' >"$remote/notes.txt"
      chown -R "$user" "$remote"
      local="$work/local-$kind-$security-$passive"
      mkdir -p "$local/up/deep"
      head -c 700000 /dev/urandom >"$local/up/deep/u.bin"
      printf 'text\r\n' >"$local/up/t.txt"
      # The password as the settings file keeps it (reversed); the local folder as Windows
      # names it (Wine's Z: drive is /).
      printf '[data]\r\npasv=%s\r\ntabX=0\r\nSname=%s127.0.0.1:%s;\r\nUname=%s;\r\npin=%s;\r\nlc=Z:%s;\r\nsc=%s;\r\n' \
        "$passive" "$prefix" "$port" "$user" "$(echo -n "$password" | rev)" "$local" "$remote" \
        >"$local/DEVurorure.ini"
      printf '%s\n' 'click 1012' wait 'select 1003 blob.bin notes.txt' 'menu 1003 32780' wait \
        'select 1004 up' 'menu 1004 32772' wait close >"$work/script.txt"
      (cd "$local" && timeout 120 "$wine" "$exe" --script "Z:$work/script.txt" --answer yes \
        >"$local.log" 2>&1) || true
      problems=()
      cmp -s "$local/blob.bin" "$remote/blob.bin" || problems+=("download differs")
      cmp -s "$local/up/deep/u.bin" "$remote/up/deep/u.bin" || problems+=("upload differs")
      # Text goes in ASCII mode: Windows' line ends are the network's; a server that converts
      # keeps its own (vsftpd, as configured by default, does not convert).
      if [[ $kind == vsftpd ]]; then
        server_text=$'text\r\n' local_notes=$'a\nb\n'
      else
        server_text=$'text\n' local_notes=$'a\r\nb\r\n'
      fi
      [[ $(cat "$remote/up/t.txt"; echo .) == "$server_text." ]] || problems+=("text upload differs")
      [[ $(cat "$local/notes.txt"; echo .) == "$local_notes." ]] || problems+=("text download differs")
      if [[ $security == tls ]] && ! grep -q "Secure connection: TLSv1.3" "$local.log"; then
        problems+=("not secured")
      fi
      if ((${#problems[@]})); then
        echo "FAIL $cell: ${problems[*]}"
        tail -20 "$local.log"
        failures=$((failures + 1))
      else
        echo "ok   $cell"
      fi
      rm -rf "$remote"
    done
  done
done
exit $((failures > 0))
