#!/usr/bin/env bash
# The build a Mac makes, where Homebrew has no lodepng, tried on this machine:
# lodepng compiled from its own source (cmake/Lodepng.cmake), the source taken
# from Debian's lodepng source package through -DFETCHCONTENT_SOURCE_DIR_LODEPNG
# instead of fetched from upstream. Builds the game and the tests that read and
# write PNG files in build-lodepng/ and runs them; the route search and the
# window end-to-end test, which take long and read no PNG of their own, are left
# to the other builds.
#
# The source package comes through apt-get with a deb-src line of its own, in a
# private apt configuration that lives for this step only: the system's sources
# and package lists stay as they are. The line names the archive and suite that
# the system's own apt configuration gives for liblodepng-dev (apt-cache
# policy), so the step goes through whatever mirror or proxy the machine uses;
# where it names none, the step is skipped. The unpacked source is kept in the
# build folder, so a second run needs no network.
#
# usage: scripts/test-lodepng-source.sh [JOBS]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${1:-4}
build="build-lodepng"
sources=$PWD/$build/debian-source
step="lodepng from its source"

if ! command -v apt-get >/dev/null 2>&1; then
  echo "$step: skipped: Debian's lodepng source package needs apt-get (where the system has no lodepng the build above compiled its source already)"
  exit 0
fi

# The archive and suite/component the installed binary package came from, as
# apt's configuration names them; nothing when it names none.
package_origin() {
  apt-cache policy liblodepng-dev 2>/dev/null |
    awk '/^ \*\*\* / {mine = 1; next}
         mine && !/^        / {exit}
         mine && $2 ~ /:\/\// && $3 ~ /\// {print $2, $3; exit}'
}

deb_src_line() {  # ORIGIN
  local keyring=""
  [ -f /usr/share/keyrings/debian-archive-keyring.gpg ] &&
    keyring="[signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] "
  # shellcheck disable=SC2086 # the archive's address and its suite/component
  set -- $1
  echo "deb-src $keyring$1 ${2%/*} ${2##*/}"
}

fetch_debian_source() {  # ORIGIN
  local line
  # Not local: the exit trap still needs it after a failed apt-get ends the script.
  apt_dir=$(mktemp -d)
  trap 'rm -rf "$apt_dir"' EXIT
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$sources.partial"
  line=$(deb_src_line "$1")
  echo "$line" >"$apt_dir/sources.list"
  echo "$step: Debian's source package through: $line"
  local apt=(apt-get -qq -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/parts"
             -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" -o Acquire::Retries=3
             -o APT::Sandbox::User="$(id -un)")
  "${apt[@]}" update
  (cd "$sources.partial" && "${apt[@]}" source lodepng >/dev/null)
  rm -rf "$sources"
  mv "$sources.partial" "$sources"
  rm -rf "$apt_dir"
  trap - EXIT
}

unpacked() {  # the unpacked source folder, or nothing
  local d
  for d in "$sources"/lodepng-*/; do
    [ -f "$d/lodepng.cpp" ] && [ -f "$d/lodepng.h" ] && echo "${d%/}" && break
  done
  true
}

src=$(unpacked)
if [ -z "$src" ]; then
  origin=$(package_origin)
  if [ -z "$origin" ]; then
    echo "$step: skipped: apt's configuration names no archive that liblodepng-dev comes from (apt-cache policy), so there is no source package to take"
    exit 0
  fi
  rm -rf "$sources.partial"
  fetch_debian_source "$origin"
  src=$(unpacked)
fi
if [ -z "$src" ]; then
  echo "$step: FAIL: Debian's lodepng source package holds no lodepng.cpp and lodepng.h (in $sources)" >&2
  exit 1
fi
version=${src##*/lodepng-}
pinned=$(sed -n 's/^set(TUMBOLD_LODEPNG_COMMIT \([0-9a-f]*\).*/\1/p' cmake/Lodepng.cmake)
case $version in
  *"${pinned:0:7}"*) echo "$step: Debian's lodepng $version, the commit the build fetches elsewhere" ;;
  *) echo "$step: note: Debian's lodepng $version is not the commit the build fetches elsewhere ($pinned)" ;;
esac

configured=$(cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFETCHCONTENT_SOURCE_DIR_LODEPNG="$src")
if ! grep -qxF -- "-- lodepng: compiled from $src" <<<"$configured"; then
  echo "$step: FAIL: the build does not compile lodepng from $src:" >&2
  echo "$configured" >&2
  exit 1
fi
cmake --build "$build" -j "$jobs" --target tumbold test_assets test_render test_data test_ui test_app test_main \
  test_game_media
if command -v ldd >/dev/null 2>&1 && ldd "$build/tumbold" | grep -q liblodepng; then
  echo "$step: FAIL: $build/tumbold still loads the system's lodepng" >&2
  exit 1
fi
# The test programs not built here stand in CTest as *_NOT_BUILT.
ctest --test-dir "$build" -j "$jobs" --output-on-failure -E '_NOT_BUILT$|^Walkthrough\.|^EndToEnd\.'
