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
for f in usr/bin/palindra usr/bin/palindra-cli usr/share/applications/palindra.desktop \
         usr/share/icons/hicolor/scalable/apps/palindra.svg; do
  [ -e "$root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
"$root/usr/bin/palindra-cli" --help | grep -q make-samples
"$root/usr/bin/palindra-cli" make-samples "$root/samples" >/dev/null
"$root/usr/bin/palindra-cli" list "$root/samples/sample.uop" | grep -q '^12 1 '
echo "$deb: installs palindra and palindra-cli; depends on $depends"
