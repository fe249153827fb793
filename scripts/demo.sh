#!/usr/bin/env bash
# The main job on a fresh Debian 12 machine: installs what is missing, builds the 64-bit
# tree, makes sample pictures (generated here, nothing is downloaded), runs
# PlenzarFile.exe under Wine on them with the demo engine beside it, and prints every
# file written with its size and pixel size before and after.
# PROFILE=0..4 picks the size profile (default 2, Medium: longest side 1024 pixels).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scripts="$root/scripts"
profile=${PROFILE:-2}
case "$profile" in
  [0-4]) ;;
  *) echo "PROFILE must be 0 (Tiny), 1 (Small), 2 (Medium), 3 (Large) or 4 (Full)" >&2; exit 2 ;;
esac

"$scripts/setup.sh"
source "$scripts/wine-loader.sh"
"$scripts/wine-prefix.sh" "$root/build/demo" & prefix=$!
"$scripts/build.sh" x86_64 >/dev/null
wait $prefix

source "$scripts/wine-env.sh" "$root/build/demo"
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT

demo="$WINEPREFIX/drive_c/PlenzarDemo"
rm -rf "$demo"
mkdir -p "$demo/pictures"
cp "$root/build/x86_64/bin/PlenzarFile.exe" "$root/build/x86_64/bin/demo/Plenzar.dll" \
   "$root/build/x86_64/bin/demo/picture_tool.exe" "$demo/"
wine 'C:\PlenzarDemo\picture_tool.exe' make 'C:\PlenzarDemo\pictures' </dev/null 2>/dev/null

settings='HKCU\Software\PlenzarFile\Settings'
wine reg add "$settings" /v appDefaultPlenzarProfile /t REG_DWORD /d "$profile" /f >/dev/null 2>&1
wine reg add "$settings" /v appOutputToDesktop /t REG_DWORD /d 0 /f >/dev/null 2>&1

cd "$demo/pictures"
sources=(*)
echo "PlenzarFile.exe, profile $profile, on ${#sources[@]} generated pictures in C:\\PlenzarDemo\\pictures"
wine 'C:\PlenzarDemo\PlenzarFile.exe' "${sources[@]}" </dev/null >/dev/null 2>&1

pixels() { wine 'C:\PlenzarDemo\picture_tool.exe' size "$@" </dev/null 2>/dev/null | tr -d '\r'; }
mapfile -t before < <(pixels "${sources[@]}")
printf '%-16s %10s %10s   %-20s %10s %10s\n' source bytes pixels written bytes pixels
written=0
for i in "${!sources[@]}"; do
  source=${sources[$i]}
  output="${source%.*} (1).${source##*.}"
  if [ -f "$output" ]; then
    after=$(pixels "$output")
    printf '%-16s %10d %10s   %-20s %10d %10s\n' "$source" "$(stat -c %s "$source")" "${before[$i]}" \
           "$output" "$(stat -c %s "$output")" "$after"
    written=$((written + 1))
  else
    printf '%-16s %10d %10s   %-20s\n' "$source" "$(stat -c %s "$source")" "${before[$i]}" "(nothing written)"
  fi
done
echo "$written of ${#sources[@]} pictures written beside their sources"
[ "$written" -eq "${#sources[@]}" ] || { echo "the desktop program missed pictures" >&2; exit 1; }

# The mail add-in in Outlook, played by the host double: the same sample pictures and a
# text file attached to a new mail, with the demo engine beside PlenzarMail.dll.
mail="$demo/mail"
mkdir -p "$mail/attachments"
cp "$root/build/x86_64/bin/PlenzarMail.dll" "$root/build/x86_64/bin/demo/Plenzar.dll" \
   "$root/build/x86_64/bin/demo/mail_demo.exe" "$mail/"
wine 'C:\PlenzarDemo\picture_tool.exe' make 'C:\PlenzarDemo\mail\attachments' </dev/null 2>/dev/null
printf 'Notes for the trip.\r\n' > "$mail/attachments/notes.txt"
wine reg add "$settings" /v mailDefaultPlenzarProfile /t REG_DWORD /d "$profile" /f >/dev/null 2>&1
wine reg add "$settings" /v checkForUpdate /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg add "$settings" /v productImprovement /t REG_DWORD /d 0 /f >/dev/null 2>&1
echo
echo "PlenzarMail.dll in a new mail, Outlook played by the host double"
wine 'C:\PlenzarDemo\mail\mail_demo.exe' 'C:\PlenzarDemo\mail\attachments' </dev/null 2>/dev/null | tr -d '\r'
