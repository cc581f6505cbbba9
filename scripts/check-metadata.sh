#!/bin/sh
# Validates the desktop entry and the AppStream metadata with the tools
# the desktops use (desktop-file-utils, appstream).
#   check-metadata.sh DESKTOP_FILE METAINFO_FILE
# Exits 77 (skipped) when neither tool is installed. Run by ctest as
# "desktop_entry".
set -u
desktop=$1 metainfo=$2
checked=0 status=0
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || status=1
    checked=1
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$metainfo" || status=1
    checked=1
fi
if [ "$checked" -eq 0 ]; then
    echo "neither desktop-file-validate nor appstreamcli is installed: skipped"
    exit 77
fi
exit "$status"
