#!/usr/bin/env bash
# Runs the set-up script against stand-ins for apt-get, dpkg-query and sudo, and checks that the
# service guard is there during the install and that the machine is left as it was found.
set -euo pipefail
script=$(cd "$(dirname "$0")" && pwd)/install.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/setup"
cp "$script" "$work/setup/install.sh"
echo "some-package" > "$work/setup/packages.txt"
cat > "$work/bin/dpkg-query" <<'STANDIN'
#!/bin/sh
exit 1
STANDIN
cat > "$work/bin/sudo" <<'STANDIN'
#!/bin/sh
exec "$@"
STANDIN
cat > "$work/bin/apt-get" <<'STANDIN'
#!/bin/sh
if [ "$1" = install ]; then
  if [ -x "$XL_POLICY_RC" ] && [ "$(sh "$XL_POLICY_RC"; echo $?)" = 101 ]; then echo guarded; else echo open; fi >> "$APT_LOG"
  exit "$APT_STATUS"
fi
STANDIN
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" XL_POLICY_RC="$work/policy-rc.d" APT_LOG="$work/apt.log"

failures=0
check() { # check <what> <condition...>
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
run() { : > "$APT_LOG"; APT_STATUS=$1 bash "$work/setup/install.sh" >/dev/null 2>&1; }

run 0 && status=0 || status=$?
check "a clean install succeeds" test "$status" -eq 0
check "the guard is in place during the install" grep -qx guarded "$APT_LOG"
check "the guard is gone afterwards" test ! -e "$XL_POLICY_RC"

run 100 && status=0 || status=$?
check "a failed install reports its failure" test "$status" -ne 0
check "the guard is gone after a failed install" test ! -e "$XL_POLICY_RC"

printf '#!/bin/sh\nexit 0\n' > "$XL_POLICY_RC"
run 0 || true
check "a policy the machine had is kept as it was" grep -qx 'exit 0' "$XL_POLICY_RC"
check "and not replaced for the install" grep -qx open "$APT_LOG"

exit $((failures > 0))
