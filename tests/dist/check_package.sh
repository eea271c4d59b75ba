#!/usr/bin/env bash
# Checks of the Debian package and of the tree it installs.
#   check_package.sh build WORK CPACK CPACK_CONFIG   makes the package, unpacks it into WORK/root
#   check_package.sh CHECK WORK VERSION MIME_QUERY    one check of what `build` left in WORK
# CHECK is control, files, desktop, mime, man or completion. Exit 77 (skip) where a tool the check
# needs is missing, or the package could not be made for that reason.
set -u

check=$1
work=$2
root=$work/root

fail() {
    echo "FAIL: $*"
    exit 1
}

skip() {
    echo "SKIP: $*"
    exit 77
}

need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
    done
}

# A scratch folder of the check's own, so that checks running side by side never meet.
dir=
make_scratch() {
    dir=$(mktemp -d "/tmp/kvr-dist-$check.XXXXXX") || fail "no scratch folder"
    trap 'rm -rf "$dir"' EXIT
}

# The commands of kvrtool and the options of one command, as its own help lists them: every
# installed description must follow the program.
kvrtool_commands() {
    "$root/usr/bin/kvrtool" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p'
}

kvrtool_usage_options() {
    # The usage lines: from "usage:" to the first blank line.
    "$root/usr/bin/kvrtool" "$1" --help | sed -n '1,/^$/p' | grep -o -- '--[a-z][a-z-]*' | sort -u
}

build_package() {
    local cpack=$3 config=$4
    rm -rf "$work"
    need dpkg-deb dpkg-shlibdeps file
    mkdir -p "$work/out" || fail "cannot make $work"
    if ! "$cpack" --config "$config" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
        cat "$work/cpack.log"
        fail "cpack did not make the package"
    fi
    local debs=("$work"/out/*.deb)
    if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        fail "expected one .deb in $work/out: ${debs[*]}"
    fi
    cp "${debs[0]}" "$work/kvrplayer.deb" || fail "cannot copy the package"
    dpkg-deb -x "$work/kvrplayer.deb" "$root" || fail "dpkg -x failed"
    echo "built $(basename "${debs[0]}")"
}

check_control() {
    need dpkg-deb dpkg-query readelf ldd
    local deb=$work/kvrplayer.deb
    [ "$(dpkg-deb -f "$deb" Package)" = kvrplayer ] || fail "package name"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), not $version"
    [ "$(dpkg-deb -f "$deb" Section)" = video ] || fail "section"
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
    [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"

    # Every library the programs link is provided by a package the package depends on.
    local depends program library path owner candidate
    depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/[ (].*//')
    [ -n "$depends" ] || fail "no run-time dependencies"
    for program in kvrplayer kvrtool; do
        for library in $(readelf -d "$root/usr/bin/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
            path=$(ldd "$root/usr/bin/$program" | awk -v lib="$library" '$1 == lib && $2 == "=>" { print $3; exit }')
            [ -n "$path" ] || fail "$program links $library, which this machine does not have"
            owner=
            for candidate in "$path" "/usr$path" "${path#/usr}" "$(readlink -f "$path")"; do
                owner=$(dpkg-query -S "$candidate" 2>/dev/null | head -n 1 | sed 's/[:,].*//')
                [ -n "$owner" ] && break
            done
            [ -n "$owner" ] || fail "no package owns $path"
            grep -qx "$owner" <<<"$depends" || fail "$program links $library from $owner, which is not in Depends: $depends"
        done
    done

    # The maintainer scripts refresh the menu and MIME databases after installing and removing,
    # and do nothing on the other steps. Stand-in tools record what they are asked.
    make_scratch
    dpkg-deb -e "$deb" "$dir/control" || fail "dpkg-deb -e"
    mkdir "$dir/bin"
    for tool in update-desktop-database update-mime-database gtk-update-icon-cache; do
        printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$tool" "$dir/calls" >"$dir/bin/$tool"
        chmod +x "$dir/bin/$tool"
    done
    local script step
    for script in postinst:configure postrm:remove postrm:purge postrm:upgrade; do
        step=${script#*:}
        script=${script%%:*}
        [ -x "$dir/control/$script" ] || fail "$script missing or not executable"
        rm -f "$dir/calls"
        PATH="$dir/bin:$PATH" "$dir/control/$script" "$step" || fail "$script $step failed"
        if [ "$step" = upgrade ]; then
            [ ! -s "$dir/calls" ] || fail "$script $step refreshed the databases: $(cat "$dir/calls")"
            continue
        fi
        grep -q '^update-desktop-database .*/usr/share/applications$' "$dir/calls" ||
            fail "$script $step did not update the desktop database"
        grep -q '^update-mime-database /usr/share/mime$' "$dir/calls" ||
            fail "$script $step did not update the MIME database"
    done
}

check_files() {
    need file
    # Exactly these files: nothing of the build or the tests, and no database cache, which the
    # install step must leave to the package's scripts.
    local expected actual size
    expected="usr/bin/kvrplayer
usr/bin/kvrtool
usr/share/applications/kvrplayer.desktop
usr/share/bash-completion/completions/kvrtool"
    for size in 16 22 24 32 48 64 128 256; do
        expected+=$'\n'"usr/share/icons/hicolor/${size}x${size}/apps/kvrplayer.png"
    done
    expected+="
usr/share/icons/hicolor/scalable/apps/kvrplayer.svg
usr/share/man/man1/kvrplayer.1.gz
usr/share/man/man1/kvrtool.1.gz
usr/share/mime/packages/kvrplayer.xml"
    actual=$(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||')
    if [ "$(sort <<<"$expected")" != "$(sort <<<"$actual")" ]; then
        diff <(sort <<<"$expected") <(sort <<<"$actual")
        fail "the installed files differ from the expected list"
    fi

    for size in 16 22 24 32 48 64 128 256; do
        file "$root/usr/share/icons/hicolor/${size}x${size}/apps/kvrplayer.png" | grep -q "PNG image data, $size x $size," ||
            fail "the ${size}x${size} icon is not a PNG of that size"
    done
    file "$root/usr/share/icons/hicolor/scalable/apps/kvrplayer.svg" | grep -q "SVG" || fail "the scalable icon is not SVG"

    # The installed programs run, and tell their version.
    local output
    output=$("$root/usr/bin/kvrplayer" --version) || fail "kvrplayer --version failed"
    [ "$output" = "kvrplayer $version" ] || fail "kvrplayer --version printed '$output'"
    "$root/usr/bin/kvrplayer" --help | grep -q '^usage: kvrplayer' || fail "kvrplayer --help"
    "$root/usr/bin/kvrtool" --help | grep -q '^usage: kvrtool' || fail "kvrtool --help"
}

check_desktop() {
    need desktop-file-validate update-desktop-database
    local entry=$root/usr/share/applications/kvrplayer.desktop
    desktop-file-validate "$entry" || fail "desktop-file-validate"

    local exec icon types type
    exec=$(sed -n 's/^Exec=//p' "$entry")
    [ "$exec" = "kvrplayer %f" ] || fail "Exec=$exec"
    [ -x "$root/usr/bin/kvrplayer" ] || fail "the program of Exec is not installed"
    grep -qx 'Categories=AudioVideo;Video;Player;' "$entry" || fail "categories"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named $icon"
    [ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "no 48x48 icon named $icon"

    # Each type the entry opens is one the package declares, and the menu database the package's
    # scripts build offers the entry for it.
    types=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' ')
    [ -n "$types" ] || fail "no MimeType"
    make_scratch
    cp "$entry" "$dir/" || fail "copy"
    update-desktop-database "$dir" || fail "update-desktop-database"
    for type in $types; do
        grep -q "type=\"$type\"" "$root"/usr/share/mime/packages/*.xml || fail "$type is not declared by the package"
        grep -q "^$type=kvrplayer.desktop;" "$dir/mimeinfo.cache" || fail "$type is not offered to kvrplayer.desktop"
    done
}

check_mime() {
    need update-mime-database
    make_scratch
    # The database as the package's scripts build it, from the installed tree alone.
    mkdir -p "$dir/share" "$dir/home" "$dir/files"
    cp -r "$root/usr/share/mime" "$dir/share/" || fail "copy"
    XDG_DATA_DIRS="$dir/share" update-mime-database "$dir/share/mime" || fail "update-mime-database"
    local name
    for name in camera.kvr CAMERA.KVR camera.idx; do
        printf '\377\001\002\003 not a real packet \n' >"$dir/files/$name"
    done
    local answer
    answer=$(XDG_DATA_HOME="$dir/home" XDG_DATA_DIRS="$dir/share" "$mime_query" \
        "$dir/files/camera.kvr" "$dir/files/CAMERA.KVR" "$dir/files/camera.idx") || fail "$mime_query failed"
    echo "$answer"
    [ "$(sed -n 1p <<<"$answer")" = "video/x-kvr kvrplayer video-x-generic" ] || fail "camera.kvr"
    [ "$(sed -n 2p <<<"$answer")" = "video/x-kvr kvrplayer video-x-generic" ] || fail "CAMERA.KVR"
    [ "$(sed -n 3p <<<"$answer" | cut -d' ' -f1)" != "video/x-kvr" ] || fail "camera.idx taken for a recording"

    # GLib's answer too (what file managers ask), where its tool is at hand.
    if command -v gio >/dev/null 2>&1; then
        for name in camera.kvr CAMERA.KVR; do
            answer=$(XDG_DATA_HOME="$dir/home" XDG_DATA_DIRS="$dir/share" gio info -a standard::content-type \
                "$dir/files/$name" | sed -n 's/^ *standard::content-type: //p')
            [ "$answer" = "video/x-kvr" ] || fail "gio gives $name the type '$answer'"
        done
    fi
}

check_man() {
    need man groff
    local page text warnings
    for page in kvrplayer kvrtool; do
        text=$root/usr/share/man/man1/$page.1.gz
        warnings=$(MANWIDTH=80 man --warnings -l "$text" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man warns about $page.1: $warnings"
        warnings=$(zcat "$text" | groff -man -ww -z 2>&1)
        [ -z "$warnings" ] || fail "groff warns about $page.1: $warnings"
        MANWIDTH=80 man -l "$text" 2>/dev/null | grep -q "KvrPlayer $version" || fail "$page.1 does not name version $version"
    done

    # kvrtool's page describes each command and each option its usage lines name.
    local source command option
    source=$(zcat "$root/usr/share/man/man1/kvrtool.1.gz" | sed 's/\\-/-/g')
    for command in $(kvrtool_commands); do
        grep -qx ".SS $command" <<<"$source" || fail "kvrtool.1 has no section for '$command'"
        for option in $(kvrtool_usage_options "$command"); do
            grep -q -- "$option\\b" <<<"$source" || fail "kvrtool.1 does not mention $command $option"
        done
    done
}

# Asks the completion function what it offers for the words given; the last word is the one
# being completed.
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    # The line as typed: no blank on either side of a colon.
    COMP_LINE=$1
    local i
    for ((i = 1; i < $#; ++i)); do
        if [ "${COMP_WORDS[i]}" = : ] || [ "${COMP_WORDS[i - 1]}" = : ]; then
            COMP_LINE+=${COMP_WORDS[i]}
        else
            COMP_LINE+=" ${COMP_WORDS[i]}"
        fi
    done
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _kvrtool kvrtool "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
}

check_completion() {
    local framework=/usr/share/bash-completion/bash_completion
    [ -f "$framework" ] || skip "bash-completion is not installed"
    # shellcheck source=/dev/null
    source "$framework"
    # shellcheck source=/dev/null
    source "$root/usr/share/bash-completion/completions/kvrtool" || fail "the completion does not load"
    complete -p kvrtool >/dev/null 2>&1 || fail "no completion registered for kvrtool"

    local commands offered
    commands=$(kvrtool_commands | LC_ALL=C sort)
    offered=$(complete_words kvrtool "" | grep -v '^--help$')
    [ "$offered" = "$commands" ] || fail "commands offered: ${offered//$'\n'/ }; kvrtool has: ${commands//$'\n'/ }"

    # Each command's options: all that its usage lines name, and none that its help lacks.
    local command option
    for command in $commands; do
        offered=$(complete_words kvrtool "$command" x.kvr --)
        for option in $(kvrtool_usage_options "$command") --help; do
            grep -qx -- "$option" <<<"$offered" || fail "'kvrtool $command' does not offer $option"
        done
        while read -r option; do
            "$root/usr/bin/kvrtool" "$command" --help | grep -q -- "$option\\b" ||
                fail "'kvrtool $command' offers $option, which its help does not know"
        done < <(grep -vx -- --help <<<"$offered")
    done

    # Fixed values, and the codec of a stream once its unit and channel are typed (bash splits
    # the word at each colon).
    [ "$(complete_words kvrtool play x.kvr --speed "" | tr '\n' ' ')" = "1 2 3 4 5 " ] || fail "play --speed"
    [ "$(complete_words kvrtool audio x.kvr --format "" | tr '\n' ' ')" = "device mono " ] || fail "audio --format"
    [ "$(complete_words kvrtool synth x.kvr --channel 0 : 1 : "" | tr '\n' ' ')" = "h264 jpeg mpeg4 " ] ||
        fail "synth --channel 0:1:"
    [ "$(complete_words kvrtool synth x.kvr --audio 0 : 1 : g7 | tr '\n' ' ')" = "g711 g723 " ] || fail "synth --audio 0:1:g7"

    # Recordings by name, in either case, and folders to walk into.
    make_scratch
    mkdir "$dir/sub"
    touch "$dir/a.kvr" "$dir/B.KVR" "$dir/a.idx" "$dir/notes.txt"
    offered=$(cd "$dir" && complete_words kvrtool info "" | tr '\n' ' ')
    [ "$offered" = "B.KVR a.kvr sub " ] || fail "kvrtool info offers '$offered'"
    offered=$(cd "$dir" && complete_words kvrtool frame a.kvr --out "" | tr '\n' ' ')
    [ "$offered" = "sub " ] || fail "kvrtool frame --out offers '$offered'"
}

case $check in
    build) build_package "$@" ;;
    control | files | desktop | mime | man | completion)
        version=$3
        mime_query=$4
        [ -d "$root" ] || skip "the package was not built"
        "check_$check"
        ;;
    *) fail "unknown check $check" ;;
esac
echo "PASS: $check"
