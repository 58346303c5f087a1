# Sourced by the fixture scripts of this folder.
#   fixture_begin SCRIPT OUTDIR TOOL...  checks the tools, sets $out (OUTDIR made absolute) and
#                                        $work (a folder beside it, removed if the script fails)
#                                        and $src (inside $work)
#   fixture_tree                         the files every fixture set packs, in $src: tree/ (text,
#                                        numbers, random bytes, an empty file and folder) and cn/
#                                        (Chinese names)
#   tar_listing ARCHIVE                  GNU tar -tv of ARCHIVE as "item<TAB>size<TAB>folder(0/1)
#                                        <TAB>type<TAB>path" lines (path without a trailing "/",
#                                        type the first letter of the mode)
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

tar_listing() {
  tar --numeric-owner -tvf "$1" | awk '
    {
      match($0, /^[^ ]+ +[^ ]+ +[0-9,]+ +[0-9-]+ +[0-9:]+ /)
      path = substr($0, RLENGTH + 1)
      type = substr($1, 1, 1)
      if (type == "l") sub(/ -> .*$/, "", path)
      if (type == "h") sub(/ link to .*$/, "", path)
      folder = (type == "d") ? 1 : 0
      sub(/\/$/, "", path)
      printf "item\t%s\t%d\t%s\t%s\n", $3, folder, type, path
    }'
}
