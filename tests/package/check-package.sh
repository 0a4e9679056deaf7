#!/usr/bin/env bash
# One check of a built Debian package of Lullwood; tests/package/CMakeLists.txt runs each
# as a ctest test.
# Usage: tests/package/check-package.sh CHECK PACKAGE.deb VERSION
#   lintian    lintian finds no error (its warnings and notes are shown)
#   contents   dpkg-deb -c lists exactly the files of contents.txt, with their modes
#   control    name, version, architecture, section, description and library dependencies
#   files      what it installs passes appstreamcli, desktop-file-validate and man, and
#              the desktop entry, the metainfo and the MIME type agree on their names;
#              the metainfo, the copyright file and both manual pages name the GPL,
#              version 3 or later
set -euo pipefail
check="$1"
deb="$(realpath "$2")"
version="$3"
here="$(cd "$(dirname "$0")" && pwd)"
[ -f "$deb" ] || { echo "no package at $deb" >&2; exit 1; }

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

case "$check" in
  lintian)
    # Run as root in CI: lintian would otherwise refuse to unpack as root.
    lintian --allow-root --fail-on error --display-info "$deb"
    ;;

  contents)
    # Mode, owner and path of every entry; sizes and times are not the package's shape.
    dpkg-deb -c "$deb" | awk '{ print $1, $2, $6 }' | sort -k3 >"$PWD/contents.actual"
    grep -v "^#" "$here/contents.txt" | sort -k3 | diff -u - "$PWD/contents.actual" ||
      fail "the package's contents differ from tests/package/contents.txt (- expected, + found)"
    ;;

  control)
    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = lullwood ] || fail "Package: $(field Package)"
    [[ "$(field Version)" == "$version"-* ]] || fail "Version $(field Version), not $version-*"
    [ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
      fail "Architecture: $(field Architecture)"
    [ "$(field Section)" = sound ] || fail "Section: $(field Section)"
    [ "$(basename "$deb")" = "lullwood_$(field Version)_$(field Architecture).deb" ] ||
      fail "file name $(basename "$deb")"
    depends="$(field Depends)"
    echo "Depends: $depends"
    # The package names alone, without their versions.
    names=" $(sed -e 's/ *([^)]*)//g' -e 's/,/ /g' <<<"$depends") "
    for library in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libsdl2-2.0-0 libflac12 \
      qt6-wayland; do
      [[ "$names" == *" $library "* ]] || fail "Depends lacks $library"
    done
    description="$(field Description)"
    [ "$(wc -l <<<"$description")" -ge 5 ] || fail "the long description is missing"
    grep -q "lullwood-render" <<<"$description" || fail "the description omits lullwood-render"
    # No maintainer scripts: the databases are refreshed by dpkg triggers.
    scripts="$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'inst$|rm$' || true)"
    [ -z "$scripts" ] || fail "unexpected maintainer scripts: $scripts"
    ;;

  files)
    root="$PWD/files.root"
    rm -rf "$root"
    dpkg-deb -x "$deb" "$root"
    share="$root/usr/share"
    metainfo=("$share"/metainfo/*.metainfo.xml)
    [ ${#metainfo[@]} -eq 1 ] && [ -f "${metainfo[0]}" ] || fail "not one metainfo file"
    appstreamcli validate --no-net --explain "${metainfo[0]}"
    desktop-file-validate "$share/applications/lullwood.desktop"
    id="$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "${metainfo[0]}")"
    [ "$(basename "${metainfo[0]}")" = "$id.metainfo.xml" ] || fail "metainfo file name vs id $id"
    grep -q '<launchable type="desktop-id">lullwood.desktop</launchable>' "${metainfo[0]}" ||
      fail "the metainfo does not launch lullwood.desktop"
    grep -q "<release version=\"$version\"" "${metainfo[0]}" || fail "no release $version"
    grep -q "<project_license>GPL-3.0-or-later</project_license>" "${metainfo[0]}" ||
      fail "the metainfo's project_license is not GPL-3.0-or-later"
    copyright="$share/doc/lullwood/copyright"
    grep -q "^License: GPL-3+$" "$copyright" || fail "the copyright file's licence is not GPL-3+"
    grep -q "/usr/share/common-licenses/GPL-3" "$copyright" ||
      fail "the copyright file does not point to Debian's copy of the GPL"
    mime="$(sed -n 's:.*<mime-type type="\([^"]*\)".*:\1:p' "$share/mime/packages/lullwood.xml")"
    grep -q "^MimeType=.*$mime;" "$share/applications/lullwood.desktop" ||
      fail "the desktop entry does not claim $mime"
    grep -q "<mediatype>$mime</mediatype>" "${metainfo[0]}" || fail "the metainfo omits $mime"
    for binary in lullwood lullwood-render; do
      grep -q "<binary>$binary</binary>" "${metainfo[0]}" || fail "the metainfo omits $binary"
      page="$share/man/man1/$binary.1.gz"
      text="$(LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat man --warnings -l "$page" 2>"$PWD/man.err")"
      [ ! -s "$PWD/man.err" ] || fail "man $binary: $(cat "$PWD/man.err")"
      grep -q "Lullwood $version" <<<"$text" || fail "man $binary does not name version $version"
      grep -q "GNU General Public License, version 3 or later" <<<"$(tr -s ' \n' ' ' <<<"$text")" ||
        fail "man $binary does not name the licence"
    done
    # The stripped programs still run.
    [ "$("$root/usr/bin/lullwood-render" --version)" = "lullwood-render $version" ] ||
      fail "lullwood-render --version"
    rm -rf "$root"
    ;;

  *)
    echo "unknown check $check" >&2
    exit 2
    ;;
esac
echo "$check: ok"
