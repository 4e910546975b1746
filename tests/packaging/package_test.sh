#!/usr/bin/env bash
# Builds the Debian package, validates the desktop entry and the AppStream metainfo, checks the
# package with lintian when it is installed, installs the package into a throwaway root, runs
# what it installed, and removes it again.
set -euo pipefail
source_dir=$1
build_dir=$2
desktop-file-validate "$source_dir/packaging/app.ampa.Ampa.desktop"
appstreamcli validate --no-net "$source_dir/packaging/app.ampa.Ampa.metainfo.xml"

(cd "$build_dir" && cpack > /dev/null)
# The one just made: an older version's package may still lie in the build folder.
package=$(ls -t "$build_dir"/ampa_*_amd64.deb | head -n 1)
dpkg-deb --field "$package" Depends | grep -q 'libqt6core6'
# The programs stripped, their symbols in the -dbgsym package beside it, found by build id.
symbols=$(ls -t "$build_dir"/ampa-dbgsym_*_amd64.ddeb | head -n 1)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$package" "$unpacked/deb"
dpkg-deb -x "$symbols" "$unpacked/dbgsym"
for program in ampa ampa-cli; do
    if readelf -S "$unpacked/deb/usr/bin/$program" | grep -q '\.debug_info'; then
        echo "usr/bin/$program is not stripped"; exit 1
    fi
    id=$(readelf -n "$unpacked/deb/usr/bin/$program" | sed -n 's/.*Build ID: //p')
    [ -f "$unpacked/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ] \
        || { echo "no debug symbols for usr/bin/$program"; exit 1; }
done
depends=$(dpkg-deb --field "$package" Depends)
# What no program links but they load at run time: the package owning `file` must be depended on.
# `what` names it in the message.
needs_package_of() {
    local file=$1 what=$2 owner
    owner=$(dpkg -S "$file" 2> /dev/null | cut -d: -f1) \
        || { echo "$what is not installed here"; exit 1; }
    grep -qE "(^|, )$owner( |,|$)" <<< "$depends" \
        || { echo "$what comes from $owner, which the package does not depend on"; exit 1; }
}
# Every QML module the views import, and every one Qt's own dialogs import (the folder chooser
# where no portal answers).
qml_dir=$(qtpaths6 --query QT_INSTALL_QML)
dialogs=$(qtpaths6 --query QT_INSTALL_LIBS)/libQt6QuickDialogs2QuickImpl.so.6
imports=$( { grep -rhoE '^import [A-Z][A-Za-z0-9.]*' "$source_dir/ui"
             strings "$dialogs" | grep -oE '^import [A-Z][A-Za-z0-9.]*'; } | awk '{print $2}' | sort -u)
for module in $imports; do
    [ "$module" = Ampa ] && continue
    needs_package_of "$qml_dir/${module//.//}/qmldir" "the QML module $module"
done
# Every SQL driver the engine opens.
drivers=$(grep -rhoE 'addDatabase\(QStringLiteral\("Q[A-Z0-9]+"' "$source_dir/engine" \
          | grep -oE 'Q[A-Z0-9]+"' | tr -d '"' | sort -u)
[ -n "$drivers" ] || { echo "no SQL driver found in the engine's sources"; exit 1; }
for driver in $drivers; do
    needs_package_of "$(qtpaths6 --query QT_INSTALL_PLUGINS)/sqldrivers/libq$(tr 'A-Z' 'a-z' <<< "${driver#Q}").so" \
        "the SQL driver $driver"
done
# Every library a program loads by its soname (libgit2, when a repository is first read).
programs=("$unpacked/deb/usr/bin/ampa" "$unpacked/deb/usr/bin/ampa-cli")
loaded=$(strings -a "${programs[@]}" | grep -xE 'lib[A-Za-z0-9_+-]+\.so\.[0-9.]+' | sort -u)
grep -qx 'libgit2\.so\..*' <<< "$loaded" || { echo "libgit2's soname is not in the programs"; exit 1; }
dynamic=$(readelf -d "${programs[@]}")
for soname in $loaded; do
    grep -qF "[$soname]" <<< "$dynamic" && continue # linked: found by the package's own rule
    file=$(ldconfig -p | awk -v name="$soname" '$1 == name { print $NF }')
    file=${file%%$'\n'*}
    [ -n "$file" ] || { echo "$soname is not installed here"; exit 1; }
    needs_package_of "$(readlink -f "$file")" "$soname"
done

if command -v lintian > /dev/null; then
    # Errors and warnings fail; what is only information is shown.
    lintian --fail-on error,warning --tag-display-limit 0 "$package"
else
    echo "lintian is not installed (tools/deps installs it): the package is not checked with it"
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "installing into a throwaway root needs root: validated and built only"
    echo "1 passed, 0 failed"
    exit 0
fi
root=$(mktemp -d)
trap 'rm -rf "$root" "$unpacked"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-script-chrootless -i "$package" > /dev/null
for file in usr/bin/ampa usr/bin/ampa-cli usr/share/applications/app.ampa.Ampa.desktop \
            usr/share/metainfo/app.ampa.Ampa.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/app.ampa.Ampa.svg \
            usr/share/man/man1/ampa.1.gz usr/share/man/man1/ampa-cli.1.gz \
            usr/share/doc/ampa/copyright usr/share/doc/ampa/changelog.Debian.gz \
            usr/share/bash-completion/completions/ampa-cli \
            usr/share/zsh/vendor-completions/_ampa-cli \
            usr/share/fish/vendor_completions.d/ampa-cli.fish; do
    [ -e "$root/$file" ] || { echo "missing after install: $file"; exit 1; }
done
# What was installed starts: the terminal program answers, the window program rejects a wrong
# argument before it needs a display.
"$root/usr/bin/ampa-cli" --help | grep -q '^Usage: ampa-cli'
# The manual pages read without a warning; bash takes the completion.
for page in ampa ampa-cli; do
    man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 > /dev/null | grep . \
        && { echo "the manual page of $page has warnings"; exit 1; }
    man -l "$root/usr/share/man/man1/$page.1.gz" | grep -q 'SYNOPSIS'
done
bash -c "source '$root/usr/share/bash-completion/completions/ampa-cli' && complete -p ampa-cli" \
    | grep -q '_ampa_cli'
set +e
"$root/usr/bin/ampa" --no-such-option 2> /dev/null
status=$?
set -e
[ "$status" -eq 2 ] || { echo "ampa answered $status to a wrong argument"; exit 1; }
dpkg --root="$root" --force-depends --force-script-chrootless -r ampa > /dev/null
[ ! -e "$root/usr/bin/ampa" ] || { echo "still installed after removal"; exit 1; }
echo "1 passed, 0 failed"
