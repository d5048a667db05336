#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need; does nothing
# when every one of them is already there.
set -euo pipefail
packages=(
  build-essential cmake pkg-config googletest libgtest-dev python3
  libsdl2-dev nlohmann-json3-dev liblodepng-dev libadplug-dev
  xvfb x11-apps x11-utils openbox imagemagick xdotool sox libgl1-mesa-dri libegl-mesa0 libglx-mesa0
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
