#!/usr/bin/env bash
# install_test.sh BUILD_FOLDER PRINT_TEMPLATE
#
# Installs the build into a temporary prefix with a space in its name, checks
# that every file is where a Linux desktop looks for it, starts the installed
# kvn offscreen and stops it, and compiles and runs the new-file template
# with the installed kvncc and kvnrun.
set -euo pipefail
build=${1:?build folder}
print_template=${2:?template printer}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/kvn prefix"
fail() {
  echo "install_test: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; fail "cmake --install failed"; }

for file in bin/kvn bin/kvncc bin/kvnrun libexec/kvn/pause libexec/kvn/PAUSE libexec/kvn/cls libexec/kvn/CLS \
  share/kvn/include/iostream.h share/kvn/include/conio.h share/kvn/include/fstream.h share/kvn/include/iomanip.h \
  share/kvn/include/dos.h share/kvn/include/wrap/stdlib.h share/kvn/include/wrap/string.h share/kvn/include/wrap/stdio.h \
  share/kvn/web/index.html share/kvn/web/kvn.css share/kvn/web/kvn.svg share/kvn/web/help/kvn/index.html \
  share/applications/kvn.desktop share/icons/hicolor/scalable/apps/kvn.svg \
  share/metainfo/org.korvane.kvn.metainfo.xml share/doc/kvn/copyright share/doc/kvn/changelog.Debian.gz \
  share/man/man1/kvn.1.gz share/man/man1/kvncc.1.gz share/man/man1/kvnrun.1.gz; do
  [ -f "$prefix/$file" ] || fail "$file was not installed"
done
for program in bin/kvn bin/kvncc bin/kvnrun libexec/kvn/pause; do
  [ -x "$prefix/$program" ] || fail "$program cannot be run"
done

# The entry starts the kvn of this prefix, quoted for the space in it.
entry="$prefix/share/applications/kvn.desktop"
grep -qxF "Exec=\"$prefix/bin/kvn\" %f" "$entry" || { cat "$entry" >&2; fail "the desktop entry does not start $prefix/bin/kvn"; }
grep -qxF "Icon=kvn" "$entry" || fail "the desktop entry does not name the icon kvn"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects kvn.desktop"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/org.korvane.kvn.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli rejects the metainfo"; }
fi
if missing=$(ldd "$prefix/bin/kvn" | grep "not found"); then
  fail "kvn lacks libraries: $missing"
fi

# man finds each page under the prefix and reads it without a complaint.
if command -v man >/dev/null; then
  for page in kvn kvncc kvnrun; do
    found=$(MANPATH="$prefix/share/man" man -w "$page" 2>&1) || fail "man does not find $page: $found"
    [ "$found" = "$prefix/share/man/man1/$page.1.gz" ] || fail "man kvn found $found instead of the installed page"
    complaints=$(MANPATH="$prefix/share/man" man --warnings -E UTF-8 -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$complaints" ] || fail "man complains about $page: $complaints"
    MANPATH="$prefix/share/man" MANWIDTH=80 man -P cat "$page" 2>/dev/null | grep -q "^NAME" ||
      fail "man $page shows no NAME section"
  done
fi

# The programs answer --version on a terminal without a display.
for program in kvn kvncc kvnrun; do
  version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work" "$prefix/bin/$program" --version 2>&1) ||
    fail "$program --version failed: $version"
  case "$program:$version" in
    "kvn:Korvane (KVN) 2.2" | "kvncc:kvncc (Korvane) 2.2"* | "kvnrun:kvnrun (Korvane) 2.2") ;;
    *) fail "$program --version printed: $version" ;;
  esac
done

# The installed kvn comes up in a folder of its own, with a home of its own,
# and keeps running until it is stopped.
mkdir -p "$work/home" "$work/run"
status=0
(cd "$work/run" && env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" QT_QPA_PLATFORM=offscreen \
  timeout -s TERM 5 "$prefix/bin/kvn" >"$work/kvn.log" 2>&1) || status=$?
[ "$status" -eq 124 ] || { cat "$work/kvn.log" >&2; fail "the installed kvn ended with status $status before it was stopped"; }

# A new document's program compiles with the installed kvncc, which finds its
# old-style headers in the prefix, and runs with kvnrun, which finds pause.
"$print_template" >"$work/run/new.cpp"
(cd "$work/run" && "$prefix/bin/kvncc" -e"$work/run/new" new.cpp) >"$work/kvncc.log" 2>&1 ||
  { cat "$work/kvncc.log" >&2; fail "the installed kvncc could not compile the new-file template"; }
[ -x "$work/run/new" ] || { cat "$work/kvncc.log" >&2; fail "kvncc built no program"; }
if grep -q "missing beside kvncc" "$work/kvncc.log"; then
  cat "$work/kvncc.log" >&2
  fail "the installed kvncc did not find its old headers and library"
fi
(cd "$work/run" && timeout 20 "$prefix/bin/kvnrun" ./new </dev/null) >"$work/kvnrun.log" 2>&1 ||
  { cat "$work/kvnrun.log" >&2; fail "kvnrun could not run the program"; }
if grep -q "pause command was not found" "$work/kvnrun.log"; then
  fail "the installed kvnrun did not find pause"
fi
echo "install_test: installed into $prefix, started kvn, compiled and ran the template"
