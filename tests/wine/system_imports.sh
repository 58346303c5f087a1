# Sourced by the binary checks: check_system_imports DUMP (the output of objdump -p) prints every
# imported DLL that is not a system library, sets `status` to 1 if there is one, and leaves the
# imports in `imports`.
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll crypt32.dll gdi32.dll kernel32.dll msvcrt.dll"
system_dlls+=" ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll "
system_dlls+=" windowscodecs.dll "

check_system_imports() {
  imports=$(printf '%s\n' "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$imports" ] || { echo "no import table found"; status=1; }
  for name in $imports; do
    case "$system_dlls" in
      *" $name "*) ;;
      *) echo "imports a non-system DLL: $name"; status=1 ;;
    esac
  done
}
