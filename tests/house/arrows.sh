#!/bin/bash
# The arrows the house must never have, checked on the sources. Includes are bare names, so the
# compiler alone lets a view include any engine header the model links; this says where each
# header lives and refuses the arrows that point the wrong way.
set -u
root=${1:?source folder}
cd "$root" || exit 2

declare -A home # header name -> the folder it lives in (engine/core, model, ui/components, ...)
while IFS= read -r header; do
    folder=${header%/*}
    case $folder in
    engine/*/*) folder=${folder%/*} ;;
    ui/*) folder=ui ;;
    model/*) folder=model ;;
    esac
    home[${header##*/}]=$folder
done < <(find engine platform model words ui cli -name '*.h')

faults=0
fault() {
    echo "wrong arrow: $1"
    faults=$((faults + 1))
}

# Each folder and the folders whose headers it must never include.
check() {
    local sources=$1 forbidden=$2 allowed=${3:-}
    while IFS=: read -r file _ line; do
        [[ $line =~ \"([^\"]+)\" ]] || continue
        name=${BASH_REMATCH[1]}
        where=${home[$name]:-}
        [ -n "$where" ] || continue
        [ -n "$allowed" ] && [[ " $allowed " == *" $name "* ]] && continue
        for bad in $forbidden; do
            [[ $where == "$bad" || $where == "$bad"/* ]] && fault "$file includes $name ($where)"
        done
    done < <(grep -rn --include='*.h' --include='*.cpp' '^#include "' $sources)
}

# The whole engine, its parts and the umbrella Engine.h the programs include, looks down only.
check engine "model ui cli platform words"
check model "ui cli"
check platform "model ui cli"
check words "model ui cli platform"
# The views reach the program through the model alone; the settings object is the one the
# model hands out. ui/app is where the program is put together and may reach every part.
check "ui/components ui/main ui/panes ui/settings ui/menubar" "engine platform" "Settings.h"

# Nor may the engine link them: a header is one include away from a linked library.
while IFS= read -r hit; do
    fault "the engine links a layer above it: $hit"
done < <(find engine -name CMakeLists.txt -exec grep -nHE '^[^#]*ampa_(words|model|ui|platform|shell)\b' {} +)

# The engine returns kinds and ids; the language is read only where texts are made.
while IFS= read -r hit; do
    fault "the engine reads the language: $hit"
done < <(grep -rnE 'language\(\)|isIndonesian\(|languageChanged' engine --include='*.cpp' --include='*.h' \
    | grep -v '^engine/store/')

[ "$faults" -eq 0 ] && echo "the house has no wrong arrow"
[ "$faults" -eq 0 ]
