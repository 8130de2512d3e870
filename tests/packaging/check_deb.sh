#!/usr/bin/env bash
# Builds the Debian package from the build folder, unpacks it with dpkg -x into a temporary
# root, and checks that the program and the icon the menu entry names are where it says.
# Usage: check_deb.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack did not build the package"
fi
debs=("$work"/*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || fail "expected one package, found ${debs[*]}"
deb=${debs[0]}
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
# dpkg-shlibdeps fills Depends from the libraries the program links.
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* && $depends == *libstdc++6* ]] || fail "Depends lacks the linked libraries: $depends"

root=$work/root
dpkg -x "$deb" "$root"
entry=$root/usr/share/applications/ftpquorrel.desktop
[[ -f $entry ]] || fail "no menu entry in the package"
value() { sed -n "s/^$1=//p" "$entry" | head -n 1; }
# A bare name is found on PATH, where the package's bin folder is.
resolve() { if [[ $1 == /* ]]; then echo "$root$1"; else echo "$root/usr/bin/$1"; fi; }

# The program Exec starts: the word after "exec" when Exec wraps it in a shell command.
read -r -a words <<<"$(value Exec | tr -d '"')"
program=${words[0]}
for ((i = 0; i + 1 < ${#words[@]}; ++i)); do
  [[ ${words[i]} == exec ]] && program=${words[i + 1]}
done
for name in "$program" "$(value TryExec)"; do
  [[ -f $(resolve "$name") && -x $(resolve "$name") ]] || fail "$name from the menu entry is not in the package"
done
[[ $("$(resolve "$program")" --version) == *" $version" ]] || fail "$program does not report $version"

icon=$(value Icon)
icons=("$root"/usr/share/icons/hicolor/*/apps/"$icon".png)
[[ -f $root/usr/share/icons/hicolor/48x48/apps/$icon.png ]] || fail "no 48x48 icon named $icon"
[[ -f $root/usr/share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "no scalable icon named $icon"
# Drawn at its size, not a small picture scaled up: smooth edges give the large one many colours.
big=$root/usr/share/icons/hicolor/256x256/apps/$icon.png
(($(identify -format '%k' "$big") > 500)) || fail "$big looks like a small image scaled up"
for png in "${icons[@]}"; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  [[ $(identify -format '%wx%h' "$png") == "$size" ]] || fail "$png is not $size"
  # The images' cyan mask colour comes out transparent.
  [[ $(identify -format '%[fx:p{0,0}.a]' "$png") == 0 ]] || fail "$png has an opaque corner"
done
[[ -f $root/usr/share/man/man1/ftpquorrel.1 ]] || fail "no manual page in the package"
echo "ok: $(basename "$deb"), ${#icons[@]} icons, Depends: $depends"
