#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the run need. Idempotent and quiet.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$here"/packages*.txt | grep -v '^$' | sort -u)
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#wanted[@]} packages present"
  exit 0
fi
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${#missing[@]} packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# Keep package scripts from starting the proxy and FTP daemons as system services, during our
# own install only: a guard the machine already has is left alone; one we put in place goes
# again when the script ends, however it ends.
policy=${XL_POLICY_RC:-/usr/sbin/policy-rc.d}
if [ ! -e "$policy" ] && [ ! -L "$policy" ]; then
  trap '$sudo rm -f "$policy"' EXIT
  trap 'exit 130' INT TERM HUP
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod +x "$policy"
fi
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
