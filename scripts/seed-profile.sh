#!/usr/bin/env bash
# seed-profile.sh HOME : lays the demo profile into HOME when it is not there yet
# (documents folder with the forms and the help pages, the companion's settings
# folder).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
HOME_DIR=$1
FORMS=$HOME_DIR/Documents/Kestrova/Forms
if [ ! -e "$FORMS/master.txt" ]; then
    mkdir -p "$FORMS" "$HOME_DIR/.config"
    cp -r "$ROOT/demo/Forms/." "$FORMS/"
    cp -r "$ROOT/demo/config/." "$HOME_DIR/.config/"
    # The help pages show the screenshots that the real-window test keeps in docs/.
    mkdir -p "$FORMS/Help/images"
    cp "$ROOT"/docs/*.png "$FORMS/Help/images/"
fi
