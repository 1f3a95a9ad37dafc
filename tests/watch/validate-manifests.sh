#!/usr/bin/env bash
# Validates the Kubernetes manifests that gleanwork-run --cronjob prints for
# several agents and schedules (names that need changing among them) against
# the Kubernetes schemas of the npm package kubernetes-models. The packages
# are installed once into NPM_FOLDER. Without npm or the registry the test is
# skipped (exit 77), unless the environment variable CI is set.
#
# usage: validate-manifests.sh RUNNER NPM_FOLDER
set -euo pipefail

runner=$1 npm_folder=$2
here=$(cd "$(dirname "$0")" && pwd)

unavailable() {
    if [ -n "${CI:-}" ]; then
        echo "FAIL: $*" >&2
        exit 1
    fi
    echo "SKIPPED: $*"
    exit 77
}

if [ ! -f "$npm_folder/node_modules/kubernetes-models/package.json" ] ||
    [ ! -f "$npm_folder/node_modules/js-yaml/package.json" ]; then
    command -v npm >/dev/null && command -v node >/dev/null || unavailable "node and npm are not installed"
    mkdir -p "$npm_folder"
    npm install --prefix "$npm_folder" --no-audit --no-fund --no-save \
        kubernetes-models@4 js-yaml@4 >"$npm_folder/install.log" 2>&1 ||
        unavailable "npm cannot install kubernetes-models and js-yaml (the registry cannot be reached?):
$(tail -5 "$npm_folder/install.log")"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export GLEANWORK_INSTALLDIR=$work/install TZ=Europe/Berlin
mkdir -p "$GLEANWORK_INSTALLDIR/Agents"

# name | SCHEDULE | more agent keys | more options
agents=(
    "Price list|Mon..Fri 06:30|DBPASS=s3cret|--secret gleanwork-passwords --namespace scrape"
    "prices|*:0/15||--output-claim gleanwork-output"
    "Prices|hourly|WEBPASS=pw|--secret web.passwords"
    "café ü|daily Europe/Berlin||"
    "日本のニュース|*-*-1,15 08:00 UTC||"
    "-draft|Sat,Sun 9:00||"
    "A very long agent name that goes on and on past what Kubernetes allows|monthly||"
    "tab	and \"quotes\" \\ and : colon|quarterly||"
    $'next line \xc2\x85, line separator \xe2\x80\xa8, mark \xef\xbb\xbf|yearly||'
    $'Latin-1 text|weekly|DESCRIPTION=caf\xe9|'
)
for agent in "${agents[@]}"; do
    IFS='|' read -r name schedule keys options <<<"$agent"
    printf '%s\n' "$name" >>"$GLEANWORK_INSTALLDIR/AGENTS.INI"
    printf 'URL=https://example.org/\nFILE=out.txt\nSCHEDULE=%s\n%s\nSCRIPT\nPRINTLN "x"\nENDSCRIPT\n' \
        "$schedule" "$keys" >"$GLEANWORK_INSTALLDIR/Agents/$name.agt"
    manifest=$work/$(printf '%s' "$name" | md5sum | cut -c1-8).yaml
    printf '%s' "$name" >"$manifest.name"
    # shellcheck disable=SC2086  # the options are words
    "$runner" --cronjob --image registry.example.org/gleanwork:1.0 $options -- "$name" \
        >"$manifest" 2>"$work/errors" || {
        echo "FAIL: gleanwork-run --cronjob refuses '$name': $(cat "$work/errors")" >&2
        exit 1
    }
    if grep -q 's3cret\|WEBPASS=pw' "$manifest"; then
        echo "FAIL: the manifest of '$name' holds the agent's password" >&2
        exit 1
    fi
done

NODE_PATH=$npm_folder/node_modules node "$here/validate-manifests.js" "$work"/*.yaml
