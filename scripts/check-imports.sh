#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that Windows does not bring
# itself (a MinGW runtime DLL, for example). Arguments: folders to search.
set -uo pipefail
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|ole32|oleaut32|version|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+|vfw32|msvfw32|avifil32|msacm32|winmm|shlwapi|uxtheme|ws2_32)\.dll$'
# The helpers that load codecs (Codec.exe) or sit beside them (Priority.exe)
# import only libraries the system always takes from its own folder (Known
# DLLs), never a library that would be looked for beside the program first.
known='^(kernel32|user32|gdi32|advapi32|msvcrt|ole32|oleaut32|rpcrt4|shell32|comdlg32|shlwapi|api-ms-win-[a-z0-9-]+)\.dll$'
status=0; checked=0
for dir in "$@"; do
  [ -d "$dir" ] || continue
  while IFS= read -r exe; do
    checked=$((checked + 1))
    dumper=x86_64-w64-mingw32-objdump
    file "$exe" | grep -q 'Intel 80386' && dumper=i686-w64-mingw32-objdump
    while IFS= read -r dll; do
      lower=$(echo "$dll" | tr 'A-Z' 'a-z')
      if ! [[ $lower =~ $allowed ]]; then
        echo "$exe imports $dll, which is not a Windows system DLL"; status=1
      fi
      case "$(basename "$exe")" in
        Codec.exe|Priority.exe)
          [[ $lower =~ $known ]] || { echo "$exe imports $dll, which the system may look for beside it"; status=1; } ;;
      esac
    done < <($dumper -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  done < <(find "$dir" -maxdepth 3 -name '*.exe' -not -path '*/wineprefix/*' -not -path '*/CMakeFiles/*')
done
echo "checked $checked programs"
[ $checked -gt 0 ] || { echo "no programs found"; exit 1; }
exit $status
