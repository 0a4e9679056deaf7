#!/usr/bin/env bash
# Every shipped translation is complete and current: lupdate, run over the sources into a
# copy of each resources/translations/lullwood_<language>.ts, finds no text without a
# translation and none the sources no longer have; every translation keeps its English's
# placeholders (%1, %2) and access key (one '&' where the English has one); and each
# language has its desktop entry (GenericName, Comment, Keywords) and its software-centre
# summary and every paragraph of the description.
# Usage: tests/app/check-translations.sh LUPDATE SOURCE_ROOT FOLDER...
set -euo pipefail
lupdate="$1"
root="$2"
shift 2
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mapfile -t sources < <(cd "$root" && find "$@" \( -name '*.cpp' -o -name '*.h' \) | sort)
shopt -s nullglob
files=("$root"/resources/translations/lullwood_*.ts)
[ ${#files[@]} -gt 0 ] || { echo "no translations in $root/resources/translations" >&2; exit 1; }
for ts in "${files[@]}"; do
  cp "$ts" "$work/"
  (cd "$root" && "$lupdate" -silent -locations none "${sources[@]}" -ts "$work/$(basename "$ts")")
done
exec python3 - "$root" "$work"/*.ts <<'PY'
import os, re, sys
import xml.etree.ElementTree as ET

def keys(text):
    # The access keys: '&' before a letter, not the '&&' of a plain ampersand.
    return len(re.findall(r"(?<!&)&(?!&)", text.replace("&&", "")))

root = sys.argv[1]
failures = []
desktop = open(os.path.join(root, "resources/desktop/lullwood.desktop"), encoding="utf-8").read()
metainfo = ET.parse(os.path.join(root, "resources/desktop/lullwood.metainfo.xml.in")).getroot()
LANG = "{http://www.w3.org/XML/1998/namespace}lang"
description = metainfo.find("description")
paragraphs = [e for e in description.iter() if e.tag in ("p", "li")]
english_paragraphs = [e for e in paragraphs if e.get(LANG) is None]
for path in sys.argv[2:]:
    language = os.path.basename(path)[len("lullwood_"):-len(".ts")]
    count = 0
    for context in ET.parse(path).getroot().iter("context"):
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            node = message.find("translation")
            kind = node.get("type") if node is not None else "missing"
            text = (node.text or "") if node is not None else ""
            where = f"{language}: {source!r}"
            count += 1
            if kind in ("vanished", "obsolete"):
                failures.append(f"{where} is no longer in the sources")
                continue
            if kind == "unfinished" or not text:
                failures.append(f"{where} is not translated")
                continue
            if sorted(re.findall(r"%\d", source)) != sorted(re.findall(r"%\d", text)):
                failures.append(f"{where}: placeholders differ in {text!r}")
            if keys(source) != keys(text):
                failures.append(f"{where}: access keys differ in {text!r}")
    for key in ("GenericName", "Comment", "Keywords"):
        if not re.search(rf"^{key}\[{re.escape(language)}\]=\S", desktop, re.M):
            failures.append(f"{language}: the desktop entry has no {key}[{language}]")
    if not any(e.get(LANG) == language and (e.text or "").strip() for e in metainfo.iter("summary")):
        failures.append(f"{language}: the metainfo has no summary")
    translated = [e for e in paragraphs if e.get(LANG) == language and (e.text or "").strip()]
    if [e.tag for e in translated] != [e.tag for e in english_paragraphs]:
        failures.append(f"{language}: the metainfo's description has {len(translated)} of "
                        f"{len(english_paragraphs)} paragraphs and items")
    print(f"{language}: {count} texts")
for f in failures:
    print("FAILED:", f)
sys.exit(1 if failures else 0)
PY
