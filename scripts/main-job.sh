#!/usr/bin/env bash
# The main job: prepares the machine, builds the Windows product and the native tools, and shows
# what was built.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-packages.sh
scripts/build-mingw-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
cmake --preset windows >/dev/null
cmake --build --preset windows

echo
echo "== built"
for f in build/windows/bin/Kubext.dll build/windows/bin/uninstall.exe build/windows/bin/kubinfo.exe \
         build/release/bin/kubinfo; do
  if [ -f "$f" ]; then
    printf '%-36s %10d bytes  %s\n' "$f" "$(stat -c %s "$f")" "$(file -b "$f" | cut -c1-60)"
  else
    printf '%-36s (not built yet)\n' "$f"
  fi
done

# Sample archives: ZIP from the independent tools (zip, 7zz, bsdtar), tar and gzip from GNU tar,
# bsdtar and gzip, bzip2, xz and compress files (and tars) from those tools, KUB from our own
# writer; kubinfo shows for each what the information page will show.
echo
echo "== sample archives (build/samples) through kubinfo"
rm -rf build/samples
tests/support/fixtures/make-zip-fixtures.sh "$top/build/samples/zip" >/dev/null
tests/support/fixtures/make-tar-fixtures.sh "$top/build/samples/tar" >/dev/null
tests/support/fixtures/make-compressed-fixtures.sh "$top/build/samples/compressed" >/dev/null
if [ -x build/release/bin/make_kub_samples ]; then
  mkdir -p build/samples/kub
  build/release/bin/make_kub_samples "$top/build/samples/kub" >/dev/null
fi
shopt -s nullglob
samples=(build/samples/zip/*.zip build/samples/zip/split/set.z01 build/samples/kub/*
         build/samples/tar/gnu.tar build/samples/tar/pax.tar build/samples/tar/gnu.tar.gz
         build/samples/tar/ustar.tgz build/samples/tar/named.gz build/samples/tar/two_members.gz
         build/samples/compressed/gnu.tar.bz2 build/samples/compressed/gnu.txz
         build/samples/compressed/gnu.tar.Z build/samples/compressed/level9.bz2
         build/samples/compressed/two_streams.xz build/samples/compressed/bits16.Z)
status=0
build/release/bin/kubinfo "${samples[@]}" || status=$?
echo "kubinfo exit status: $status (0 all archives, 1 some file not an archive, 2 some unreadable)"

# 7z samples from 7zz, listed through 7-Zip's library as the installer leaves it: "7zxa.dll" (here
# a link to p7zip's 7z.so) in the folder the archiver's App Paths entry points into.
echo
echo "== 7z samples (build/samples/7z) through kubinfo and 7-Zip's library"
tests/support/fixtures/make-7z-fixtures.sh "$top/build/samples/7z" >/dev/null
mkdir -p build/samples/7z-library
ln -sf /usr/lib/p7zip/7z.so build/samples/7z-library/7zxa.dll
printf '[HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\korvex.exe]\n@="%s"\n' \
  "$top/build/samples/7z-library/korvex.exe" > build/samples/7z-library/registry.txt
status=0
build/release/bin/kubinfo --registry build/samples/7z-library/registry.txt \
  build/samples/7z/*.7z build/samples/7z/sfx_stub.exe build/samples/7z/split/set.7z.001 || status=$?
echo "kubinfo exit status: $status"

# What Explorer's context menu would offer for one archive and for a plain file beside it.
echo
echo "== context menu plans (kubinfo --menu)"
first_zip=${samples[0]:-}
if [ -n "$first_zip" ]; then
  build/release/bin/kubinfo --menu "$first_zip" || true
  build/release/bin/kubinfo --menu "$top/README.md" || true
fi

# The same in English: the language folder given to kubinfo, which loads the shipped translation
# (build/release/bin/english) as the extension does.
echo
echo "== in English (kubinfo --language build/release/bin/english)"
if [ -n "$first_zip" ]; then
  english_samples=("$first_zip" build/samples/tar/gnu.tar.gz build/samples/kub/*)
  build/release/bin/kubinfo --language build/release/bin/english "${english_samples[@]:0:4}" || true
  build/release/bin/kubinfo --language build/release/bin/english --menu "$first_zip" || true
  build/release/bin/kubinfo --language build/release/bin/english --menu "$top/README.md" || true
fi

# The Windows build of the same tool under Wine, as a Simplified-Chinese system.
if [ -n "$first_zip" ] && [ -x /usr/lib/wine/wine64 ]; then
  echo
  echo "== kubinfo.exe under Wine (code page 936)"
  cmake/wine-session.sh start "$top/build/windows/wine" >/dev/null
  windows_path="Z:$(realpath "$first_zip" | tr / '\\')"
  windows_tgz="Z:$(realpath build/samples/tar/gnu.tar.gz | tr / '\\')"
  cmake/wine-run.sh "$top/build/windows/wine" build/windows/bin/kubinfo.exe "$windows_path" "$windows_tgz" || true
  cmake/wine-session.sh stop "$top/build/windows/wine" >/dev/null
fi

# The setup program on a clean Wine system: what "uninstall.exe /setup /S" registers.
if [ -x /usr/lib/wine/wine64 ] && [ -f build/windows/bin/uninstall.exe ]; then
  echo
  echo "== uninstall.exe /setup /S on a clean Wine system (scripts/show-setup.sh)"
  scripts/show-setup.sh || echo "show-setup failed: $?"
fi
