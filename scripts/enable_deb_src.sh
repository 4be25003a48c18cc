#!/usr/bin/env bash
# Adds a deb-src entry beside every deb entry of Debian's own archive (deb822 or one-line style), so the builds
# can fetch Debian's source packages. Prints "changed" when it added one (apt's index then needs an update).
set -euo pipefail
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
changed=0
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  if grep -q '^Types: deb$' "$f" && grep -q 'debian' "$f"; then
    "${sudo_cmd[@]}" sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    changed=1
  fi
done
if [ -f /etc/apt/sources.list ] && grep -q '^deb .*debian' /etc/apt/sources.list &&
  ! grep -q '^deb-src ' /etc/apt/sources.list; then
  sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' /etc/apt/sources.list | "${sudo_cmd[@]}" tee -a /etc/apt/sources.list >/dev/null
  changed=1
fi
[ $changed -eq 0 ] || echo changed
