#!/usr/bin/env bash
# Installs the Debian 12 packages Tavlen needs. Idempotent: when everything is there it says
# nothing and touches nothing; otherwise it runs apt-get update once and installs what is
# missing. Needs root (or sudo) only when something is missing.
#
#   scripts/deps.sh play [PACKAGE...]   what building the demo and playing it need
#   scripts/deps.sh test [PACKAGE...]   that, and the test rig, the developer tools and packaging
#
# Packages named after the set (for example gcovr, for scripts/coverage.sh) are added.
set -euo pipefail

# The play set: scripts/play.sh builds with -DTAVLEN_TESTS=OFF -DTAVLEN_CAPTURE=OFF.
packages=(
  # build
  cmake g++ make pkg-config
  # engine: X11, GLX and OpenGL through Mesa, GLU, the video-mode extension, PNG
  libx11-dev libxext-dev libxxf86vm-dev libxrandr-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0
  libpng-dev
  # music: Ogg Vorbis decoding and encoding, OpenAL Soft for playback
  libvorbis-dev libopenal-dev libopenal1
  # the asset generator sets its text with FreeType in DejaVu
  libfreetype-dev fonts-dejavu-core
)

# The test set, on top of the play set.
test_packages=(
  # tests: GoogleTest, the X servers of the test rig, XTEST for real input events,
  # clang for the sanitizer and fuzzing build
  libgtest-dev libgmock-dev xvfb xserver-xorg-core xserver-xorg-video-dummy xauth
  libxtst-dev clang libclang-rt-14-dev
  # docs: the README's storyboard is reduced to 256 colours with ImageMagick's convert
  imagemagick
  # packages: cpack -G DEB computes the dependencies with dpkg-shlibdeps and finds the
  # binaries with file; the install test validates the desktop entry and the .deb
  dpkg-dev file desktop-file-utils lintian
  # the ways users end a program, which the desktop must survive: pkill, killall, xkill,
  # and a window manager's close request
  procps psmisc x11-apps openbox wmctrl
  # the capture tool encodes through FFmpeg's libraries (Debian's libavcodec has libx264)
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
)

case ${1:-} in
  play) ;;
  test) packages+=("${test_packages[@]}") ;;
  *)
    echo "usage: scripts/deps.sh play|test [PACKAGE...]" >&2
    exit 2 ;;
esac
shift
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
