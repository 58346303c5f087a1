#!/usr/bin/env bash
# generate-strings.sh STRINGS_TXT CPP_OUT RC_DIR
# Turns the one source of built-in texts into a C++ lookup table and one .rc string table per
# deliverable (common texts go into both). Fails on a malformed line or an id out of order.
set -euo pipefail
input=$1
cpp_out=$2
rc_dir=$3
mkdir -p "$rc_dir" "$(dirname "$cpp_out")"
LC_ALL=C awk -v cpp="$cpp_out.tmp" -v rck="$rc_dir/kubext_strings.rc.tmp" \
    -v rcu="$rc_dir/uninstall_strings.rc.tmp" '
BEGIN {
  head = "// Generated from resources/strings.txt; do not edit.\n"
  printf "%s#include \"resources/builtin_strings.h\"\n\nnamespace kub {\nnamespace {\nconstexpr BuiltinString kTable[] = {\n", head > cpp
  rchead = head "#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n"
  printf "%s", rchead > rck
  printf "%s", rchead > rcu
  previous = -1
}
/^[ \t]*(#|$)/ { next }
{
  if (!match($0, /^[0-9]+[ \t]+(kubext|uninstall|common)[ \t]+".*"[ \t]*$/)) {
    print "strings.txt:" NR ": cannot read: " $0 > "/dev/stderr"; exit 1
  }
  id = $1 + 0; scope = $2
  text = $0
  sub(/^[0-9]+[ \t]+[a-z]+[ \t]+"/, "", text)
  sub(/"[ \t]*$/, "", text)
  if (id <= previous) { print "strings.txt:" NR ": id " id " out of order" > "/dev/stderr"; exit 1 }
  previous = id
  printf "    {%d, u\"%s\"},\n", id, text > cpp
  rctext = text
  gsub(/\\"/, "\"\"", rctext)   # resource strings double their quotes instead of escaping them
  # Narrow strings: windres converts them through the code page pragma, while L"..." strings
  # would take each UTF-8 byte as a character of its own.
  if (scope != "uninstall") printf "    %d, \"%s\"\n", id, rctext > rck
  if (scope != "kubext") printf "    %d, \"%s\"\n", id, rctext > rcu
}
END {
  printf "};\n}  // namespace\n\nstd::span<const BuiltinString> builtin_strings() { return kTable; }\n\n}  // namespace kub\n" > cpp
  printf "END\n" > rck
  printf "END\n" > rcu
}' "$input"
for f in "$cpp_out" "$rc_dir/kubext_strings.rc" "$rc_dir/uninstall_strings.rc"; do
  if cmp -s "$f.tmp" "$f"; then rm -f "$f.tmp"; else mv -f "$f.tmp" "$f"; fi
done
