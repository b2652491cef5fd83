#!/usr/bin/env bash
# The set-up from nothing: on a bare Debian 12 (bash and apt; root, or a user
# with sudo) installs make and the rest of the build's Debian packages with
# scripts/install-deps, then runs make with the given targets:
#
#   ./make.sh run     build and start the calculator window
#   ./make.sh test    build and run every test
#
# Anyone who has make can run make run / make test as well.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
if ! command -v make >/dev/null 2>&1; then
  bash scripts/install-deps
fi
exec make "$@"
