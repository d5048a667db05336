#!/usr/bin/env bash
# Installs what the build, the game and the tests need and is missing: Debian
# packages through apt-get, or on macOS Homebrew formulae through brew. Does
# nothing when every one of them is already there.
# (Written for the bash 3.2 of macOS too: no empty arrays under set -u.)
set -euo pipefail

debian_packages=(
  build-essential cmake pkg-config googletest libgtest-dev python3
  libsdl2-dev nlohmann-json3-dev liblodepng-dev libadplug-dev
  xvfb x11-apps x11-utils openbox imagemagick xdotool sox libgl1-mesa-dri libegl-mesa0 libglx-mesa0
)
# Homebrew has no lodepng: the build fetches and compiles its source (cmake/Lodepng.cmake).
# adplug's headers carry the FM chip emulator the music runs on. Xcode's command line
# tools (compiler, git, python3) come with Homebrew itself. Without Xvfb the tests
# that need an X server skip themselves.
brew_formulae="cmake pkg-config sdl2 nlohmann-json googletest adplug"

install_debian() {
  local missing=() p sudo_cmd=()
  for p in "${debian_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "installing: ${missing[*]}"
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Whether what the build takes from a formula is there, however it got there (a
# tool from its own installer, a formula renamed or replaced by another of its name).
brew_has() {  # FORMULA PREFIX
  case $1 in
    cmake | pkg-config) command -v "$1" >/dev/null 2>&1 ;;
    sdl2 | adplug) command -v pkg-config >/dev/null 2>&1 && pkg-config --exists "$1" ;;
    nlohmann-json) [ -f "$2/include/nlohmann/json.hpp" ] ;;
    googletest) [ -f "$2/include/gtest/gtest.h" ] ;;
    *) brew list --versions "$1" >/dev/null 2>&1 ;;
  esac
}

install_homebrew() {
  local prefix wanted="" f
  prefix=$(brew --prefix)
  for f in $brew_formulae; do
    brew_has "$f" "$prefix" || wanted="$wanted $f"
  done
  if [ -z "$wanted" ]; then
    return 0
  fi
  echo "installing:$wanted"
  # shellcheck disable=SC2086 # one word per formula
  brew install $wanted
}

if command -v apt-get >/dev/null 2>&1 && command -v dpkg-query >/dev/null 2>&1; then
  install_debian
elif command -v brew >/dev/null 2>&1; then
  install_homebrew
else
  echo "install-deps.sh: neither apt-get (Debian) nor brew (macOS) is here: on a Mac install Homebrew from https://brew.sh and run this again; elsewhere install CMake, pkg-config, SDL2, nlohmann-json, GoogleTest and AdPlug (and lodepng, or let the build fetch it) by hand." >&2
  exit 1
fi
