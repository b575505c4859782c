#!/usr/bin/env bash
# Copies src/ and tools/ beside the structure check, plants one fault at a
# time and expects the check to name it; the tree as it is must pass.
set -euo pipefail
root="$1"
work="$(mktemp -d "${TMPDIR:-/tmp}/kelvane-structure.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failed=0

fresh_copy() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree/scripts"
  cp -r "$root/src" "$root/tools" "$work/tree/"
  cp "$root/scripts/check-structure" "$work/tree/scripts/"
}

# expect NAME WANTED: the check must fail and say WANTED.
expect() {
  local name="$1" wanted="$2" out
  if out="$("$work/tree/scripts/check-structure" --root "$work/tree" 2>&1)"; then
    echo "FAIL: $name: the check passed"
    failed=1
  elif ! grep -qF -- "$wanted" <<<"$out"; then
    echo "FAIL: $name: the check failed without naming \"$wanted\":"
    echo "$out"
    failed=1
  else
    echo "ok: $name"
  fi
}

fresh_copy
if out="$("$work/tree/scripts/check-structure" --root "$work/tree" 2>&1)"; then
  echo "ok: the tree as it is"
else
  echo "FAIL: the tree as it is:"
  echo "$out"
  failed=1
fi

fresh_copy
printf '\nstatic const char* const kPlanted = "SerialParity";\n' >>"$work/tree/src/flows/ConnectFlow.cpp"
expect "a key name spelt in a flow" "src/flows/ConnectFlow.cpp"

fresh_copy
sed -i '0,/#include/s//#include "CProfile.h"\n#include/' "$work/tree/src/config/Configuration.cpp"
expect "the configuration including the profile" "includes CProfile.h of src/storage"

fresh_copy
sed -i '0,/#include/s//#include "CSerialComm.h"\n#include/' "$work/tree/src/app/CKelvaneApp.cpp"
expect "the window including the serial port" "transport header CSerialComm.h"

fresh_copy
printf '\nstatic QString Planted(const QString& p) { return QFileInfo(p).canonicalFilePath(); }\n' \
  >>"$work/tree/tools/cli/CKelvaneCli.cpp"
expect "canonicalFilePath in the command line" "tools/cli/CKelvaneCli.cpp"

exit "$failed"
