#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the Debian package, and
# checks that the files are where a Linux desktop looks for them and that
# each of them is valid.
#
# usage: check-install.sh CMAKE BUILD_DIR DATA_DIR APP_ID VERSION WITH_DESKTOP
set -euo pipefail

cmake=$1 build=$2 data=$3 app_id=$4 version=$5 with_desktop=$6

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
prefix=$root/usr

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs a validator and fails with its output when it reports a problem.
validate() {
    local output
    output=$("$@" 2>&1) || fail "$* reports:"$'\n'"$output"
}

# The installed runner answers --help; its man page renders without warnings,
# names the release, and documents every option that --help lists.
check_runner_and_man_page() {
    local help page=$prefix/share/man/man1/gleanwork-run.1 warnings
    help=$("$prefix/bin/gleanwork-run" --help) || fail "installed gleanwork-run --help exits with $?"
    [[ $help == "usage: gleanwork-run "* ]] || fail "unexpected --help output: $help"
    warnings=$(groff -man -ww -z -Tutf8 "$page" 2>&1)
    [ -z "$warnings" ] || fail "groff warns about the man page:"$'\n'"$warnings"
    grep -q "^\.TH GLEANWORK\\\\-RUN 1 .*\"Gleanwork $version\"" "$page" ||
        fail "the man page's title line does not name version $version"
    local text
    text=$(groff -man -Tascii -P-cbou "$page" 2>/dev/null)
    for option in $(grep -o -- '--[a-z-]*' <<<"$help" | sort -u); do
        grep -q -- "$option" <<<"$text" || fail "the man page does not document $option"
    done
}

# Validates the desktop entry $1, the icon $2 and the metainfo $3 (as
# installed or as kept in the source tree) and that they name each other.
check_desktop_files() {
    local desktop=$1 icon=$2 metainfo=$3
    validate desktop-file-validate "$desktop"
    grep -qx 'Exec=gleanwork' "$desktop" && grep -qx 'Icon=gleanwork' "$desktop" ||
        fail "the desktop entry does not start gleanwork with its icon"
    validate xmllint --noout "$icon"
    validate appstreamcli validate --no-net "$metainfo"
    grep -q "<id>$app_id</id>" "$metainfo" && grep -q "<release version=\"$version\"" "$metainfo" ||
        fail "the metainfo's id is not $app_id or it has no release $version"
}

check_desktop_install() {
    local share=$prefix/share
    if [ "$with_desktop" = ON ]; then
        [ -x "$prefix/bin/gleanwork" ] || fail "gleanwork is not installed as an executable"
        check_desktop_files "$share/applications/gleanwork.desktop" \
            "$share/icons/hicolor/scalable/apps/gleanwork.svg" \
            "$share/metainfo/$app_id.metainfo.xml"
        validate appstreamcli validate-tree --no-net "$root"
    else
        [ ! -e "$share/applications/gleanwork.desktop" ] ||
            fail "a desktop entry is installed without the gleanwork program"
        check_desktop_files "$data/gleanwork.desktop" "$data/gleanwork.svg" \
            "$data/$app_id.metainfo.xml"
    fi
}

# The package holds every installed file and depends on the libraries they link.
check_package() {
    local arch
    arch=$(dpkg --print-architecture)
    "$(dirname "$cmake")/cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" \
        >"$work/cpack.log" 2>&1 ||
        fail "cpack -G DEB failed:"$'\n'"$(cat "$work/cpack.log")"
    local deb=$work/package/gleanwork_${version}_$arch.deb
    [ "$(dpkg-deb -f "$deb" Package)" = gleanwork ] || fail "the package is not named gleanwork"
    local depends contents
    depends=$(dpkg-deb -f "$deb" Depends)
    contents=$(dpkg-deb -c "$deb")
    local expected=(libc6 libstdc++6)
    # libqt6gui6 comes with libqt6widgets6, and is named only when the
    # program itself calls into it.
    [ "$with_desktop" = ON ] && expected+=(libqt6core6 libqt6widgets6)
    local names
    names=$(sed -e 's/ *([^)]*)//g' -e 's/ *[,|] */\n/g' <<<"$depends")
    for package in "${expected[@]}"; do
        grep -qxF "$package" <<<"$names" ||
            fail "the package does not depend on $package (Depends: $depends)"
    done
    for file in $(cd "$root" && find . -type f); do
        grep -q " $file\$" <<<"$contents" || fail "the package does not hold $file"
    done
}

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    fail "cmake --install failed:"$'\n'"$(cat "$work/install.log")"
check_runner_and_man_page
check_desktop_install
check_package
echo "install layout, validators and package: ok"
