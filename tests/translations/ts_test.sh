#!/usr/bin/env bash
# The English translation is complete and current: lupdate run over the desktop's and the page's sources into a
# copy of translations/pelaryn_en.ts must find no text without its English (a new Japanese text
# in the code) and none that the code no longer has.
set -euo pipefail
root=$1
lupdate=/usr/lib/qt6/bin/lupdate
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/translations/pelaryn_en.ts" "$work/pelaryn_en.ts"
"$lupdate" -locations none -source-language ja -target-language en \
  -I "$root/src" "$root/src/platform/desktop" "$root/app/web/words.js" "$root/app/web/windows.js" \
  "$root/app/web/settings-window.js" "$root/app/web/player-windows.js" -ts "$work/pelaryn_en.ts" >"$work/log" 2>&1 ||
  { cat "$work/log"; exit 1; }
status=0
# lupdate passes over a script it cannot parse with a message and success; its texts would go
# missing unnoticed.
if grep -q "error:" "$work/log"; then
  echo "lupdate could not read every source:"
  grep -A2 "error:" "$work/log"
  status=1
fi
for kind in unfinished obsolete vanished; do
  count=$(grep -c "type=\"$kind\"" "$work/pelaryn_en.ts" || true)
  if [[ $count -gt 0 ]]; then
    echo "$count $kind text(s) in translations/pelaryn_en.ts; run scripts/update-translations and translate:"
    grep -B3 "type=\"$kind\"" "$work/pelaryn_en.ts" | grep "<source>" | sed 's/^ */  /'
    status=1
  fi
done
empty=$(grep -c "<translation></translation>" "$work/pelaryn_en.ts" || true)
[[ $empty -eq 0 ]] || { echo "$empty empty translation(s)"; status=1; }
# The file in the repository is lupdate's own output, so that a run of the script changes nothing.
diff -q "$root/translations/pelaryn_en.ts" "$work/pelaryn_en.ts" >/dev/null ||
  { echo "translations/pelaryn_en.ts is not as lupdate writes it; run scripts/update-translations"; status=1; }
[[ $status -eq 0 ]] && echo "translations/pelaryn_en.ts: every text translated and current"
exit $status
