#!/bin/sh
# check-imports.sh OBJDUMP BINARY...: lists each binary's DLL imports and
# fails when one is not a DLL of the system itself.
objdump=$1; shift
allowed="KERNEL32.DLL USER32.DLL ADVAPI32.DLL SHELL32.DLL COMCTL32.DLL MSVCRT.DLL"
[ $# -gt 0 ] || { echo "no binaries to check"; exit 1; }
status=0
for bin in "$@"; do
  dlls=$("$objdump" -p "$bin" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z')
  echo "$(basename "$bin"): $(echo $dlls)"
  for dll in $dlls; do
    case " $allowed " in
      *" $dll "*) ;;
      *) echo "  not a system DLL: $dll"; status=1 ;;
    esac
  done
done
exit $status
