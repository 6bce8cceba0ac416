#!/bin/bash
# Checks of what an install and the Debian package hold, run by ctest:
#   install_checks.sh CHECK SOURCE_DIR BUILD_DIR VERSION CMAKE CPACK
# CHECK is one of desktop-entry, metainfo, man-pages, tree, package.
set -u

check=$1 source_dir=$2 build_dir=$3 version=$4 cmake=$5 cpack=$6
app_id=org.example.tessaview
mime_type=application/x-tessaview-log
theme_sizes="16 22 24 32 48 64 128 256"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is not installed (make deps installs it)" >&2; exit 1; }; }
finish() { [ "$failures" = 0 ] && echo "ok: $check" && exit 0; echo "$failures failure(s) in $check" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaview-install-check.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The value of KEY in the [Desktop Entry] group of FILE.
desktop_value() { sed -n "s/^$2=//p" "$1" | head -n 1; }

# Installs the build into a fresh prefix and prints that prefix.
install_into() {
    local prefix=$work/$1
    "$cmake" --install "$build_dir" --prefix "$prefix" >"$work/install.log" 2>&1 \
        || { cat "$work/install.log" >&2; echo "FAIL: cmake --install failed" >&2; exit 1; }
    echo "$prefix"
}

check_desktop_entry() {
    need desktop-file-validate
    local entry=$source_dir/resources/linux/$app_id.desktop
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
    [ "$(desktop_value "$entry" Exec)" = "tessaview %f" ] || fail "Exec is not 'tessaview %f'"
    [ "$(desktop_value "$entry" MimeType)" = "$mime_type;" ] || fail "MimeType is not $mime_type"
    case "$(desktop_value "$entry" Categories)" in
        *Utility\;*Science\;* | *Science\;*Utility\;*) ;;
        *) fail "Categories lack Utility and Science" ;;
    esac
    grep -q "type=\"$mime_type\"" "$source_dir/resources/linux/tessaview.xml" \
        || fail "the mime package does not define $mime_type"
}

check_metainfo() {
    need appstreamcli
    local metainfo=$source_dir/resources/linux/$app_id.metainfo.xml
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
        || fail "the metainfo does not launch $app_id.desktop"
    # The newest release is the project's version.
    local newest
    newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
    [ "$newest" = "$version" ] || fail "the metainfo's newest release is '$newest', the project is $version"
    # Every screenshot names a picture in docs/screenshots.
    local shots
    shots=$(grep -o 'docs/screenshots/[^<]*\.png' "$metainfo")
    [ -n "$shots" ] || fail "the metainfo names no screenshot"
    for shot in $shots; do
        [ -f "$source_dir/$shot" ] || fail "the metainfo names $shot, which is not in the repository"
    done
}

# Every option and command that a program's help names is in its manual page.
check_help_in_manual() {
    local page=$1 help_file=$2 word
    local text
    text=$(sed 's/\\-/-/g; s/\\f[BIRP]//g' "$page")
    for word in $(grep -oE -- '--[a-z][a-z-]*' "$help_file" | sort -u); do
        grep -qF -- "$word" <<<"$text" || fail "$(basename "$page") does not describe $word"
    done
}

check_man_pages() {
    need groff
    local page warnings
    for page in tessaview.1 tessaview-cli.1; do
        warnings=$(groff -t -man -ww -z -Tutf8 "$source_dir/resources/man/$page" 2>&1)
        [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
    done
    local cli=$build_dir/cli/tessaview-cli gui=$build_dir/src/app/tessaview
    if [ -x "$cli" ]; then
        "$cli" --help >"$work/cli-help.txt" || fail "tessaview-cli --help fails"
        local commands
        commands=$(sed -n '/^Commands:/,/^$/p' "$work/cli-help.txt" | awk 'NF > 1 && $1 != "Commands:" { print $1 }')
        [ -n "$commands" ] || fail "tessaview-cli --help lists no commands"
        for command in $commands; do
            grep -q "^\.B tessaview-cli $command\b" "$source_dir/resources/man/tessaview-cli.1" \
                || fail "tessaview-cli.1 has no synopsis of $command"
            "$cli" "$command" --help >>"$work/cli-help.txt" || fail "tessaview-cli $command --help fails"
        done
        check_help_in_manual "$source_dir/resources/man/tessaview-cli.1" "$work/cli-help.txt"
    fi
    if [ -x "$gui" ]; then
        QT_QPA_PLATFORM=offscreen "$gui" --help >"$work/gui-help.txt" 2>/dev/null || fail "tessaview --help fails"
        check_help_in_manual "$source_dir/resources/man/tessaview.1" "$work/gui-help.txt"
    fi
}

check_tree() {
    need file
    need update-mime-database
    local prefix
    prefix=$(install_into prefix)
    local expected=(
        bin/tessaview bin/tessaview-cli libexec/tessaview/tessaview-logger-sim
        share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml
        share/mime/packages/tessaview.xml
        share/man/man1/tessaview.1.gz share/man/man1/tessaview-cli.1.gz
    )
    for f in "${expected[@]}"; do
        [ -f "$prefix/$f" ] || fail "the install lacks $f"
    done
    for f in bin/tessaview bin/tessaview-cli libexec/tessaview/tessaview-logger-sim; do
        [ -x "$prefix/$f" ] || fail "$f is not executable"
    done
    # Only the two programs go on PATH: no tests, no developer tools.
    local on_path
    on_path=$(cd "$prefix/bin" && ls | tr '\n' ' ')
    [ "$on_path" = "tessaview tessaview-cli " ] || fail "bin/ holds '$on_path'"
    # Both icons at every size of the theme, each picture of its folder's size.
    local size icon
    for size in $theme_sizes; do
        for icon in apps/tessaview mimetypes/application-x-tessaview-log; do
            local png=$prefix/share/icons/hicolor/${size}x${size}/$icon.png
            if [ ! -f "$png" ]; then
                fail "the install lacks the ${size}px icon $icon"
            elif ! file "$png" | grep -q "PNG image data, $size x $size,"; then
                fail "$png is not a ${size}x${size} PNG: $(file -b "$png")"
            fi
        done
    done
    # The entry starts a program that was installed, with an icon that was.
    local entry=$prefix/share/applications/$app_id.desktop
    [ -x "$prefix/bin/$(desktop_value "$entry" Exec | cut -d' ' -f1)" ] || fail "Exec names no installed program"
    [ -f "$prefix/share/icons/hicolor/48x48/apps/$(desktop_value "$entry" Icon).png" ] || fail "Icon names no installed icon"
    # The mime package parses, and *.logu maps to the log type.
    update-mime-database "$prefix/share/mime" >"$work/mime.log" 2>&1 || { cat "$work/mime.log" >&2; fail "update-mime-database fails"; }
    grep -q "$mime_type:\*\.logu" "$prefix/share/mime/globs2" 2>/dev/null || fail "*.logu is not $mime_type in the mime database"
    # The manual pages are compressed roff.
    for page in tessaview.1 tessaview-cli.1; do
        zcat "$prefix/share/man/man1/$page.gz" | grep -q '^\.TH ' || fail "$page.gz is no manual page"
    done

    # The installed program keeps its files in the per-user data folder, even
    # where it could write its own bin/ (as root, or in a prefix of one's
    # own), and its demo mode starts the simulator from libexec/.
    if [ -x "$prefix/bin/tessaview" ]; then
        local home=$work/home
        local data="$home/data/Local AppWizard-Generated Applications/VORNA Logger"
        mkdir -p "$home"
        (cd "$work" && env -u TESSAVIEW_HOME -u TESSAVIEW_SIMULATOR -u TESSAVIEW_PORTS \
            HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
            XDG_RUNTIME_DIR="$home/runtime" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
            "$prefix/bin/tessaview" --demo --screenshot "$work/demo.png" --size 800x600) \
            >"$work/gui.out" 2>"$work/gui.err"
        local rc=$?
        [ "$rc" = 0 ] || { cat "$work/gui.err" >&2; fail "the installed tessaview --demo --screenshot exits with $rc"; }
        [ -s "$work/demo.png" ] || fail "the installed tessaview wrote no screenshot"
        if grep -q "could not be started" "$work/gui.err"; then
            cat "$work/gui.err" >&2
            fail "the installed demo mode did not find its simulator"
        fi
        [ -d "$data/Logfiles" ] || fail "no Logfiles folder in the per-user data folder"
        [ -f "$data/Logger.ini" ] || fail "no Logger.ini in the per-user data folder"
        [ ! -e "$prefix/bin/Logfiles" ] && [ ! -e "$prefix/bin/Logger.ini" ] || fail "the installed program wrote into its bin/"
    fi
}

check_package() {
    need dpkg-deb
    need dpkg-shlibdeps
    local out=$work/package
    (cd "$build_dir" && "$cpack" -G DEB -B "$out" --config "$build_dir/CPackConfig.cmake") >"$work/cpack.log" 2>&1 \
        || { cat "$work/cpack.log" >&2; fail "cpack fails"; finish; }
    local arch deb
    arch=$(dpkg --print-architecture)
    deb=$out/tessaview_${version}_$arch.deb
    [ -f "$deb" ] || { ls "$out" >&2; fail "no tessaview_${version}_$arch.deb"; finish; }

    [ "$(dpkg-deb -f "$deb" Package)" = tessaview ] || fail "the package is not named tessaview"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "the package is not for $arch"
    [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "the package names no maintainer"
    dpkg-deb -f "$deb" Description | grep -q "data loggers" || fail "the package's description is missing"
    # dpkg-shlibdeps found the libraries the programs use.
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    local names
    names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
    for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6printsupport6; do
        grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib: $depends"
    done
    grep -q "fonts-dejavu-core" <<<"$depends" || fail "Depends lacks a font: $depends"

    dpkg-deb -c "$deb" | awk '{ print $NF }' >"$work/contents.txt"
    for f in usr/bin/tessaview usr/bin/tessaview-cli usr/libexec/tessaview/tessaview-logger-sim \
             usr/share/applications/$app_id.desktop usr/share/metainfo/$app_id.metainfo.xml \
             usr/share/mime/packages/tessaview.xml usr/share/icons/hicolor/48x48/apps/tessaview.png \
             usr/share/icons/hicolor/256x256/mimetypes/application-x-tessaview-log.png \
             usr/share/man/man1/tessaview.1.gz usr/share/man/man1/tessaview-cli.1.gz; do
        grep -qx "\./$f" "$work/contents.txt" || fail "the package lacks /$f"
    done
    local bins
    bins=$(grep -E '^\./usr/bin/.' "$work/contents.txt" | sort | tr '\n' ' ')
    [ "$bins" = "./usr/bin/tessaview ./usr/bin/tessaview-cli " ] || fail "the package's /usr/bin holds '$bins'"
    # Everything belongs to root, as in any Debian package.
    dpkg-deb -c "$deb" | awk '$2 != "root/root" { bad = 1 } END { exit bad }' || fail "the package holds files not owned by root"
}

case "$check" in
    desktop-entry) check_desktop_entry ;;
    metainfo) check_metainfo ;;
    man-pages) check_man_pages ;;
    tree) check_tree ;;
    package) check_package ;;
    *) echo "unknown check $check" >&2; exit 2 ;;
esac
finish
