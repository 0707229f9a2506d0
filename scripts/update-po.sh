#!/usr/bin/env bash
# Extracts every marked text of src/ into po/default.pot and merges the new
# template into each po/{code}.po, so that translators see new and changed
# texts (new ones empty, changed ones marked fuzzy).
#
#   scripts/update-po.sh                      update po/default.pot and po/*.po
#   scripts/update-po.sh --template-only FILE write a fresh template to FILE only
#
# The marked texts: _("...") and N_("...") (src/localisation/Translate.h) and
# the runtime's own gettext functions.
set -euo pipefail
cd "$(dirname "$0")/.."

OUT=po/default.pot
TEMPLATE_ONLY=0
if [ "${1:-}" = "--template-only" ]; then
    [ -n "${2:-}" ] || { echo "usage: $0 [--template-only FILE]" >&2; exit 2; }
    OUT=$2
    TEMPLATE_ONLY=1
elif [ $# -gt 0 ]; then
    echo "usage: $0 [--template-only FILE]" >&2
    exit 2
fi

for tool in xgettext msgmerge; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (Debian package gettext)" >&2; exit 1; }
done

# The version as the CMake project writes it (the one place it is written).
VERSION=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$VERSION" ] || { echo "no project VERSION in CMakeLists.txt" >&2; exit 1; }

# Sorted relative paths, so the template's references do not depend on the
# machine or on the order the file system lists them in.
mapfile -t SOURCES < <(find src -type f \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort)

FRESH=$(mktemp)
GENERATED=$(mktemp -d)
trap 'rm -rf "$FRESH" "$GENERATED"' EXIT
# Headers that CMake configures (the caption carries the version) are read as
# the build sees them, under their own name in src/.
while IFS= read -r template; do
    header=${template%.in}
    mkdir -p "$GENERATED/$(dirname "$header")"
    sed "s/@PROJECT_VERSION@/$VERSION/g" "$template" >"$GENERATED/$header"
    SOURCES+=("$header")
done < <(find src -type f -name '*.h.in' | LC_ALL=C sort)

xgettext --language=C++ --qt --from-code=UTF-8 --directory=. --directory="$GENERATED" \
    --keyword=_ --keyword=N_ \
    --keyword=gettext --keyword=dgettext:2 --keyword=ngettext:1,2 --keyword=dngettext:2,3 \
    --keyword=gettext_NoOp \
    --add-comments=TRANSLATORS: \
    --package-name="Kestrova Form Designer" --package-version="$VERSION" \
    --output="$FRESH" "${SOURCES[@]}"
# Texts are UTF-8 in the sources and in every catalogue.
sed -i 's/charset=CHARSET/charset=UTF-8/' "$FRESH"

# Only the creation date changed: keep the old template, so an unchanged
# source tree leaves no difference behind.
if [ -f "$OUT" ] && diff -q <(grep -v '^"POT-Creation-Date:' "$OUT") \
    <(grep -v '^"POT-Creation-Date:' "$FRESH") >/dev/null; then
    :
else
    cp "$FRESH" "$OUT"
fi
[ $TEMPLATE_ONLY -eq 1 ] && exit 0

for po in po/*.po; do
    [ -e "$po" ] || continue
    echo "merging $po"
    msgmerge --quiet --update --backup=none --previous "$po" "$OUT"
done
