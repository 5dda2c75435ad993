#!/usr/bin/env bash
# Builds the Debian package with scripts/package, unpacks it into a throwaway root and
# runs what it installed there: both programs' --version, the desktop program's start,
# and merges of the demo set with the installed brambex-cli, as folders and as an M4B
# book (which loads the encoder's module installed beside it). Then checks the desktop
# entry, the AppStream data and the package itself with the tools that desktops and
# Debian use (lintian: no errors).
set -euo pipefail
cd "$(dirname "$0")/../.."

deb=$(scripts/package)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root/pkg"
bin=$root/pkg/usr/bin
share=$root/pkg/usr/share
version=$(dpkg-deb -f "$deb" Version)
status=0
fail() { echo "package check: $*" >&2; status=1; }

for program in brambex brambex-cli; do
  # The first line names the program and its version; the licence follows.
  answer=$("$bin/$program" --version | head -n 1) || fail "$program --version failed"
  [ "$answer" = "$program $version" ] ||
    fail "$program --version says '$answer', the package is $version"
done
"$bin/brambex-cli" --version | grep -q "GPLv3+" || fail "brambex-cli --version names no licence"
# One commit gives one package, wherever it was built.
for program in brambex brambex-cli; do
  ! grep -q "$PWD/build" "$bin/$program" || fail "$program carries the path of the build tree"
done

# The desktop program is still up after a few seconds on an offscreen display, with
# its settings in the throwaway root.
window_status=0
mkdir -m 700 "$root/run"
XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$root/run QT_QPA_PLATFORM=offscreen \
  timeout 5 "$bin/brambex" || window_status=$?
[ $window_status -eq 124 ] || fail "brambex ended at start with status $window_status"

"$bin/brambex-cli" demo "$root/demo" >/dev/null || fail "brambex-cli demo failed"
disc1=$(find "$root/demo" -mindepth 1 -maxdepth 1 -type d -name '* Disc 1' | head -n 1)
if [ -z "$disc1" ]; then
  fail "the demo wrote no disc-1 folder"
elif ! summary=$("$bin/brambex-cli" merge "$disc1" -y 2>&1); then
  fail "merging the demo set failed: $summary"
else
  echo "$summary"
  # Outside the build tree the program takes the module installed with it.
  book=$(basename "${disc1% Disc 1}")
  if ! summary=$(env -u BRAMBEX_M4B_MODULE "$bin/brambex-cli" merge "$disc1" -y --format m4b \
      --title "$book Book" 2>&1); then
    fail "merging the demo set as an M4B book failed: $summary"
  elif [ ! -s "$root/demo/$book Book/$book Book.m4b" ]; then
    fail "the M4B merge wrote no book: $summary"
  else
    echo "$summary"
  fi
fi

desktop-file-validate "$share/applications/brambex.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml || fail "AppStream data invalid"
# Warnings and notes are shown; errors fail. (Lintian's remark that root need not run
# it is left out: the verdict is the same.)
lint_status=0
lint=$(lintian --display-info --fail-on error "$deb" 2>&1) || lint_status=$?
grep -v 'running with root privileges' <<<"$lint" || true
[ $lint_status -eq 0 ] || fail "lintian found errors (status $lint_status)"
exit $status
