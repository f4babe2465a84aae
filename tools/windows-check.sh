#!/bin/sh
# Syntax-checks every .cpp of src/ for Windows with the MinGW-w64 compiler against this
# machine's Qt headers, so a POSIX-only call outside a Q_OS_UNIX guard fails here rather than
# on a technician's PC. Nothing is linked; moc's output is not checked.
#
#   windows-check.sh [COMPILER]
set -eu
cxx=${1:-x86_64-w64-mingw32-g++-posix}
cd "$(dirname "$0")/.."
qt=/usr/include/$(gcc -print-multiarch)/qt6
[ -d "$qt" ] || { echo "no Qt headers in $qt" >&2; exit 1; }

flags="-std=c++20 -fsyntax-only -Wall -Wextra -Werror -Isrc -DUNICODE -D_UNICODE
  -DQT_CORE_LIB -DQT_GUI_LIB -DQT_NETWORK_LIB -DQT_WIDGETS_LIB -DQT_SERIALPORT_LIB -DLEDSIGN_VERSION=\"0\""
for module in "" QtCore QtGui QtNetwork QtWidgets QtSerialPort; do
    flags="$flags -isystem $qt/$module"
done
# libzip's two headers alone: the rest of /usr/include is this system's C library.
zipinc=$(mktemp -d)
trap 'rm -rf "$zipinc"' EXIT
ln -s /usr/include/zip.h /usr/include/zipconf.h "$zipinc/"
flags="$flags -isystem $zipinc"

files=$(git ls-files 'src/*.cpp')
count=$(printf '%s\n' "$files" | wc -l)
# shellcheck disable=SC2086 # the flags are words
if printf '%s\n' "$files" | xargs -P "${JOBS:-2}" -n 4 "$cxx" $flags; then
    echo "windows-check: $count files of src/ compile for Windows"
else
    echo "windows-check: FAILED (see above)" >&2
    exit 1
fi
