#!/usr/bin/env bash
# Builds the Debian package of Lullwood (cpack -G DEB) and prints its path.
# Usage: tools/package.sh [--check] [--try-install]
#   The build is the one tools/build-dir.sh names: LULLWOOD_BUILD_DIR, by default build/,
#   the Release build ./run.sh makes (made here when missing). A build folder of another
#   build type is refused: a package is always built from a Release build.
#   The package lands in BUILD/package/lullwood_VERSION-REVISION_ARCH.deb.
#   --check        then runs the package checks of tests/package with ctest: lintian, the
#                  contents list, the control fields and the installed files' validators.
#   --try-install  then installs the package on this machine with apt-get, checks that the
#                  programs, the desktop entry, the Scenario file type, the icon, the
#                  metainfo and the manual pages are in place, removes it again with
#                  apt-get remove and checks that all of it is gone. Needs root (or sudo);
#                  refuses when lullwood is installed already. Not run by CI.
set -euo pipefail
source "$(dirname "$0")/build-dir.sh"

check=0
try_install=0
for arg in "$@"; do
  case "$arg" in
    --check) check=1 ;;
    --try-install) try_install=1 ;;
    *) echo "usage: $0 [--check] [--try-install]" >&2; exit 2 ;;
  esac
done

# dpkg-shlibdeps and file for the dependencies; the rest for the checks.
"$lullwood_root/tools/deps.sh" dpkg-dev file lintian appstream man-db desktop-file-utils \
  xdg-utils shared-mime-info

lullwood_build all
build_type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$lullwood_build_dir/CMakeCache.txt")"
if [ "$build_type" != Release ]; then
  echo "$lullwood_build_dir is a $build_type build; a package needs a Release build" \
    "(set LULLWOOD_BUILD_DIR to another folder)" >&2
  exit 1
fi

out="$lullwood_build_dir/package"
rm -rf "$out/_CPack_Packages" "$out"/*.deb
(cd "$lullwood_build_dir" && cpack -G DEB -B "$out" >"$out.log" 2>&1) ||
  { cat "$out.log" >&2; echo "cpack failed" >&2; exit 1; }
debs=("$out"/lullwood_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "cpack made no single package" >&2; exit 1; }
deb="${debs[0]}"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$lullwood_build_dir/CMakeCache.txt")"

if [ "$check" -eq 1 ]; then
  tests="$lullwood_build_dir/package-tests"
  cmake -S "$lullwood_root/tests/package" -B "$tests" -DLULLWOOD_DEB="$deb" \
    -DLULLWOOD_VERSION="$version" >/dev/null
  ctest --test-dir "$tests" --output-on-failure >&2
fi

# Installs the package as a user would, looks at what it put in place, removes it and
# looks again. Every finding is printed; the first missing piece ends the run, after the
# package has been removed again.
try_install() {
  local deb="$1" version="$2"
  local sudo="" failed=0
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  if dpkg-query -W -f='${Status}' lullwood 2>/dev/null | grep -q 'install ok installed'; then
    echo "lullwood is installed already; remove it before --try-install" >&2
    return 1
  fi
  local scratch
  scratch="$(mktemp -d)"
  local mime=application/x-lullwood-scenario
  expect() {  # description, command...
    local what="$1"
    shift
    if "$@" >"$scratch/out" 2>&1; then
      echo "ok: $what"
    else
      echo "FAILED: $what"
      sed 's/^/    /' "$scratch/out"
      failed=1
    fi
  }
  local installed=(/usr/bin/lullwood /usr/bin/lullwood-render
    /usr/share/applications/lullwood.desktop /usr/share/mime/packages/lullwood.xml
    /usr/share/icons/hicolor/scalable/apps/lullwood.svg
    /usr/share/icons/hicolor/256x256/apps/lullwood.png
    /usr/share/metainfo/com.quillor.lullwood.metainfo.xml
    /usr/share/man/man1/lullwood.1.gz /usr/share/man/man1/lullwood-render.1.gz
    /usr/share/doc/lullwood/copyright /usr/share/doc/lullwood/changelog.Debian.gz)

  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$deb" >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; rm -rf "$scratch"; return 1; }
  echo "installed: $(dpkg-query -W -f='${Package} ${Version}' lullwood)"
  for path in "${installed[@]}"; do expect "$path is there" test -e "$path"; done
  expect "lullwood-render --version says $version" \
    bash -c "[ \"\$(lullwood-render --version)\" = 'lullwood-render $version' ]"
  expect "lullwood starts and keeps running (offscreen, no sound card)" bash -c '
    XDG_CONFIG_HOME="$1" QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy lullwood &
    pid=$!; sleep 2; kill -0 $pid || exit 1; kill $pid; wait $pid || true' _ "$scratch"
  expect "desktop-file-validate on the installed entry" \
    desktop-file-validate /usr/share/applications/lullwood.desktop
  expect "appstreamcli validate --no-net on the installed metainfo" \
    appstreamcli validate --no-net /usr/share/metainfo/com.quillor.lullwood.metainfo.xml
  expect "the MIME database knows $mime" test -f "/usr/share/mime/application/x-lullwood-scenario.xml"
  expect "the MIME globs map *.lwd to $mime" grep -qx "50:$mime:\\*.lwd" /usr/share/mime/globs2
  expect "xdg-mime: Lullwood opens $mime" \
    bash -c "[ \"\$(xdg-mime query default $mime)\" = lullwood.desktop ]"
  expect "man -l formats lullwood(1)" bash -c \
    'MANPAGER=cat man -l /usr/share/man/man1/lullwood.1.gz | grep -q "Lullwood '"$version"'"'
  expect "man lullwood-render finds the installed page" bash -c \
    'MANPAGER=cat man lullwood-render | grep -q "^NAME"'

  DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -q lullwood >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; failed=1; }
  for path in "${installed[@]}" /usr/share/doc/lullwood; do
    expect "$path is gone after removal" test ! -e "$path"
  done
  expect "the MIME database forgot $mime" \
    test ! -e /usr/share/mime/application/x-lullwood-scenario.xml
  expect "xdg-mime: nothing opens $mime any more" \
    bash -c "[ -z \"\$(xdg-mime query default $mime)\" ]"
  expect "dpkg no longer lists lullwood as installed" \
    bash -c "! dpkg-query -W -f='\${Status}' lullwood 2>/dev/null | grep -q 'install ok installed'"
  rm -rf "$scratch"
  return "$failed"
}

if [ "$try_install" -eq 1 ]; then
  try_install "$deb" "$version" >&2
fi
echo "$deb"
