#!/usr/bin/env bash
# Installs the Debian 12 packages Lumivex needs to build, run and test.
# Only what is missing is installed; apt-get update runs first when something is.
# With package names as arguments, installs those instead.
set -euo pipefail
PACKAGES=("$@")
[ ${#PACKAGES[@]} -gt 0 ] || PACKAGES=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6test6 libqt6opengl6-dev
  qt6-multimedia-dev libqt6multimediawidgets6 qt6-qpa-plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly timgm6mb-soundfont libgstreamer1.0-dev
  qt6-webengine-dev libqt6webenginewidgets6 libqt6webenginecore6-bin
  qt6-pdf-dev libqt6pdf6
  libmagick++-6.q16-dev imagemagick libpng-dev libtiff-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libsane-dev libsane1 sane-utils
  libcdio-dev
  libgtest-dev googletest
  clang libclang-rt-14-dev llvm
  xvfb xauth libxcb1-dev libxcb-xtest0-dev
  fonts-dejavu-core adwaita-icon-theme
  openssl
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
