# Sourced by the fixture scripts of this folder.
#   fixture_begin SCRIPT OUTDIR TOOL...  checks the tools, sets $out (OUTDIR made absolute) and
#                                        $work (a folder beside it, removed if the script fails)
#                                        and $src (inside $work)
#   fixture_tree                         the files every fixture set packs, in $src: tree/ (text,
#                                        numbers, random bytes, an empty file and folder) and cn/
#                                        (Chinese names)
#   fixture_finish                       replaces OUTDIR with $work as a whole
fixture_begin() {
  local script=$1 outdir=$2 tool
  shift 2
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$script: missing tool: $tool (scripts/install-packages.sh installs it)" >&2; exit 1; }
  done
  out=$(realpath -m "$outdir")
  mkdir -p "$(dirname "${out%/}")"
  work=$(mktemp -d "${out%/}.tmp.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  src="$work/src"
}

fixture_tree() {
  mkdir -p "$src/tree/sub/deeper" "$src/tree/empty dir" "$src/cn/中文目录"
  printf 'hello\n' > "$src/tree/a.txt"
  seq 1 20000 > "$src/tree/sub/numbers.txt"
  head -c 70000 /dev/urandom > "$src/tree/sub/deeper/random.bin"
  : > "$src/tree/zero-length"
  printf '你好，世界\n' > "$src/cn/中文目录/文件.txt"
  seq 1 500 > "$src/cn/说明.txt"
}

fixture_finish() {
  rm -rf "$out"
  mv "$work" "$out"
  trap - EXIT
}
