#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the desktop program, the
# CLI, the manual, the icon, the desktop entry, the AppStream data, the manual pages and
# the completion land where desktops and shells look for them, and that the desktop
# entry passes desktop-file-validate (where it is installed).
# Usage: install_check.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
status=0
for file in bin/brambex bin/brambex-cli share/brambex/Brambex.html \
            share/applications/brambex.desktop \
            share/icons/hicolor/256x256/apps/brambex.png \
            share/icons/hicolor/scalable/apps/brambex.svg \
            share/metainfo/com.halvernlabs.Brambex.metainfo.xml \
            share/man/man1/brambex.1.gz share/man/man1/brambex-cli.1.gz \
            share/bash-completion/completions/brambex-cli; do
  if [ ! -s "$prefix/$file" ]; then
    echo "missing after install: $file" >&2
    status=1
  fi
done
for program in bin/brambex bin/brambex-cli; do
  [ -x "$prefix/$program" ] || { echo "not executable: $program" >&2; status=1; }
done
entry="$prefix/share/applications/brambex.desktop"
# A folder opened with Brambex from a file manager is the set it starts with.
for line in '^Type=Application$' '^Name=Brambex$' '^Exec=brambex %f$' '^Icon=brambex$' \
            '^MimeType=inode/directory;$'; do
  grep -q "$line" "$entry" || { echo "desktop entry lacks $line" >&2; status=1; }
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || { echo "desktop entry invalid" >&2; status=1; }
else
  echo "desktop-file-validate is not installed: the desktop entry is not validated" >&2
fi
exit $status
