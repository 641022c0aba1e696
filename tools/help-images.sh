#!/usr/bin/env bash
# Copies the window screenshots the tests took (BUILD/bin/screenshots) that the
# help pages show into docs/help/images. Run after `make test`, look at the
# pictures, and commit them with the pages.
#   bash tools/help-images.sh [BUILD]
set -euo pipefail
build="${1:-build}"
src="$(cd "$(dirname "$0")/.." && pwd)"
shots="$build/bin/screenshots"
names=$(grep -oh 'images/[a-z0-9_]*\.png' "$src"/docs/help/*.html | sort -u | sed 's|images/||')
status=0
for name in $names; do
  if [ -f "$shots/$name" ]; then
    # Recompressed: flat window pictures shrink to a few kilobytes.
    convert "$shots/$name" -strip -define png:compression-level=9 "$src/docs/help/images/$name"
  else
    echo "help-images: $shots/$name is missing (no test took it)" >&2
    status=1
  fi
done
exit $status
