#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a temporary
# folder and runs the command-line tool from there.
set -euo pipefail
build="$1"
cd "$build"
cpack -G DEB >/dev/null
deb=$(ls -t palindra_*.deb | head -n 1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q libqt6widgets6 || { echo "the package does not depend on the Qt runtime: $depends"; exit 1; }
for f in usr/bin/palindra usr/bin/palindra-cli usr/libexec/palindra/palindra-cli-pictures usr/share/applications/palindra.desktop \
         usr/share/icons/hicolor/scalable/apps/palindra.svg usr/share/man/man1/palindra.1.gz \
         usr/share/man/man1/palindra-cli.1.gz usr/share/doc/palindra/README.md usr/share/doc/palindra/copyright \
         usr/share/metainfo/org.palindra.Palindra.metainfo.xml usr/share/mime/packages/palindra.xml \
         usr/share/bash-completion/completions/palindra-cli; do
  [ -e "$root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
cmp "$root/usr/share/bash-completion/completions/palindra-cli" palindra-cli.bash ||
  { echo "the package's completion is not the one the build made from the declaration"; exit 1; }
for f in usr/bin/palindra usr/bin/palindra-cli usr/libexec/palindra/palindra-cli-pictures; do
  sections=$(readelf -S "$root/$f")
  ! grep -q -e '\.symtab' -e '\.debug_' <<<"$sections" || { echo "$f is not stripped"; exit 1; }
done
grep -q make-samples <<<"$("$root/usr/bin/palindra-cli" --help)"
"$root/usr/bin/palindra-cli" make-samples "$root/samples" >/dev/null
grep -q '^12 1 ' <<<"$("$root/usr/bin/palindra-cli" list "$root/samples/sample.uop")"
# Picture commands run in the helper under libexec.
"$root/usr/bin/palindra-cli" gump-to-bmp "$root/samples/sample.uop" 1 "$root/gump.png" >/dev/null
"$root/usr/bin/palindra-cli" anim-to-png "$root/samples/sample.uop" 110 "$root/frames" >/dev/null
echo "$deb ($(du -k "$deb" | cut -f1) kB): installs palindra and palindra-cli; depends on $depends"
