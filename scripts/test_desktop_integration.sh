#!/usr/bin/env bash
# Checks the files that tie the programs into the desktop and the shell: the
# menu entry, the AppStream metadata, the file type of patch projects, the
# bash completion and the manual pages.
# Usage: test_desktop_integration.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src="$1"
build="$2"
cli="$build/palindra-cli"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "$*"; exit 1; }

# The validator prints hints on stdout and exits 0; a hint fails this check too.
out=$(desktop-file-validate "$src/packaging/palindra.desktop" 2>&1) || fail "$out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
grep -q '^Exec=palindra %f$' "$src/packaging/palindra.desktop" || fail "the menu entry does not pass the file"
appstreamcli validate --no-net "$src/packaging/org.palindra.Palindra.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$src/packaging/org.palindra.Palindra.metainfo.xml"

# The file type: known by the name, and by the magic under any other name.
mkdir -p "$tmp/mime/packages"
cp "$src/packaging/palindra-mime.xml" "$tmp/mime/packages/palindra.xml"
out=$(XDG_DATA_HOME="$tmp" XDG_DATA_DIRS="$tmp" update-mime-database "$tmp/mime" 2>&1)
[ -z "$out" ] || fail "update-mime-database: $out"
grep -q '^50:application/x-palindra-patch:\*\.uop$' "$tmp/mime/globs2" || fail "no *.uop glob"
grep -aq 'UOP' "$tmp/mime/magic" || fail "no UOP magic"
grep -q 'application/x-palindra-patch' "$src/packaging/palindra.desktop" || fail "the menu entry lacks the type"

# Completion, as the build made it and the package installs it: the commands,
# their options and the type names are those the program knows.
source "$build/palindra-cli.bash"
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _palindra_cli
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}
commands=$("$cli" --help | sed -n '/^Commands:/,/^  -h, --help/p' | sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\?$/\1/p' | sort | tr '\n' ' ')
[ "$(complete_words palindra-cli '' | sed 's/--help //; s/--json //; s/--version //')" = "$commands" ] ||
  fail "completed commands differ from --help: $commands"
types=$("$cli" types | cut -d' ' -f2 | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
[ "$(complete_words palindra-cli insert p.uop '')" = "$types" ] || fail "completed types differ from types: $types"
[ "$(complete_words palindra-cli import p.uop gu)" = "gumps " ] || fail "no type completion for import"
[ "$(complete_words palindra-cli diff --j)" = "--json " ] || fail "no option completion"
# Options anywhere: the type still follows the patch, and the options are the command's own.
[ "$(complete_words palindra-cli import --blocks 0-2 p.uop gu)" = "gumps " ] || fail "no type completion after an option"
[ "$(complete_words palindra-cli import p.uop --s)" = "--skip-absent " ] || fail "no completion of import's options"
[ "$(complete_words palindra-cli list p.uop --s)" = " " ] || fail "list completes an option it does not take"
for command in $commands; do
  options=$("$cli" "$command" --help | sed -n '/^Options:/,/^$/s/^  \(-h, \)\?\(--[a-z-]*\).*/\2/p' | sort | tr '\n' ' ')
  [ "$(complete_words palindra-cli "$command" --)" = "$options" ] || fail "$command completes options other than its --help's: $options"
done

# Manual pages, made at build time from --help and --version.
for program in palindra palindra-cli; do
  page="$build/man/$program.1.gz"
  [ -s "$page" ] || fail "no manual page $page"
  zcat "$page" | grep -q "^\.TH \"\?${program^^}\"\? " || fail "$page has no title"
done
zcat "$build/man/palindra-cli.1.gz" | grep -q 'set\\-flags' || fail "the manual page lacks the commands"
echo "menu entry, metadata, file type, completion and manual pages check out"
