#!/usr/bin/env bash
# Builds the Windows installer and the zip archive from what the build put in
# BUILD/bin: the program, its three libraries and the help pages.
#   bash tools/package.sh BUILD
set -euo pipefail
build="$(cd "$1" && pwd)"
src="$(cd "$(dirname "$0")/.." && pwd)"
version="$(tr -d '[:space:]' < "$build/version.txt")"
bin="$build/bin"
dist="$build/dist"
for f in Loopsmith.exe zqapi32.dll zqdlg32.dll plotwin.dll help/index.html; do
  [ -f "$bin/$f" ] || { echo "package: $bin/$f is missing; run make build" >&2; exit 1; }
done
mkdir -p "$dist"
setup="$dist/Loopsmith-$version-setup.exe"
zip="$dist/Loopsmith-$version.zip"
rm -f "$setup" "$zip"

makensis -V2 -DVERSION="$version" -DBIN="$bin" -DICON="$src/resources/loopsmith.ico" \
  -DOUTFILE="$setup" "$src/installer/loopsmith.nsi"

# The archive holds one folder, Loopsmith-<version>, to unpack anywhere.
/usr/bin/python3 - "$bin" "$zip" "Loopsmith-$version" <<'PY'
import os, sys, zipfile
bin_dir, out, top = sys.argv[1:4]
names = ["Loopsmith.exe", "zqapi32.dll", "zqdlg32.dll", "plotwin.dll"]
for root, dirs, files in os.walk(os.path.join(bin_dir, "help")):
    dirs.sort()
    names += sorted(os.path.relpath(os.path.join(root, f), bin_dir) for f in files)
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name in names:
        z.write(os.path.join(bin_dir, name), top + "/" + name.replace(os.sep, "/"))
PY
echo "package: $setup"
echo "package: $zip"
