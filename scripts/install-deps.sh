#!/usr/bin/env bash
# Installs the Debian packages the project needs; does nothing for packages already present.
# With "main", only what building the tool and the sample's wrappers needs (no Wine, no cross compiler).
set -euo pipefail
packages=(
  cmake ninja-build g++ ccache pkg-config python3
  libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev libxxhash-dev
  openjdk-17-jdk-headless ant
)
if [ "${1:-}" != main ]; then
  packages+=(
    googletest
    clang-14 libclang-rt-14-dev
    mingw-w64-tools g++-mingw-w64-x86-64-posix
    wine wine64 wine64-tools libwine-dev
    xvfb xdotool imagemagick
    maven libmaven-compiler-plugin-java libmaven-resources-plugin-java libmaven-jar-plugin-java libsurefire-java
    dpkg-dev file unzip
  )
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
