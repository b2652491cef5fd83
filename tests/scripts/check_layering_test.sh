#!/usr/bin/env bash
# The layering check over a made-up tree: it fails, naming each forbidden
# link of every kind and nothing else.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fixtures=$(cd "$here/../fixtures/layering" && pwd)
output=$(bash "$here/../../scripts/check-layering" "$fixtures/layers.txt" "$fixtures/links.txt" 2>&1)
status=$?
echo "$output"
expected=(
  "forbidden: base_lib (src/base, layer 0) links core_lib (src/core, layer 1), a higher layer"
  "forbidden: core_windows (src/core/qt) links tool_windows (src/tool/qt), a peer of the same layer 4"
  "forbidden: tool_lib (src/tool) links the Qt library Qt6::Core, but a core library never links Qt"
  "forbidden: src/stray (target stray_lib) has no layer: place it in $fixtures/layers.txt"
  "forbidden: src/elsewhere (target unplaced_lib) has no layer: place it in $fixtures/layers.txt"
  "known, still to be removed: core_lib (src/core, layer 1) links tool_lib (src/tool, layer 2), a higher layer"
  "forbidden: the known link \"base_lib -> main_window\" is gone or allowed now: remove it from $fixtures/layers.txt"
  "check-layering: 6 forbidden link(s) among 12"
)
result=0
if ((status != 1)); then
  echo "FAIL: the check ended with $status, not 1"
  result=1
fi
for line in "${expected[@]}"; do
  if ! grep -qxF -- "$line" <<<"$output"; then
    echo "FAIL: missing: $line"
    result=1
  fi
done
exit $result
