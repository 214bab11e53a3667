# Shared by scripts/run and scripts/test: install the Debian packages that are missing.
# shellcheck shell=bash

QUODRA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Packages for building the editor and running it (also headless), with the LaTeX toolchain that
# the typeset preview and the export run: latex and dvips (texlive-latex-base, which brings
# texlive-binaries), texdraw.sty (texlive-pictures), Ghostscript, and poppler's pdftocairo, which
# makes the SVG export from the PDF. Boost (headers only) gives the canvas its R-tree.
QUODRA_BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libgtest-dev libgmock-dev
    libboost-dev libbenchmark-dev libx11-dev xvfb xauth x11-apps imagemagick
    texlive-latex-base texlive-pictures ghostscript poppler-utils)
# Extra packages for the whole test command: clang and its runtime for the fuzzer, clang-format
# for the style check, a decimal-comma locale, and an SVG reader to check the SVG exports.
QUODRA_TEST_PACKAGES=(clang clang-format libclang-rt-14-dev locales gnuplot-nox librsvg2-bin)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing missing packages: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}

ensure_locale() {
    local loc="$1" # e.g. de_DE.UTF-8
    if ! locale -a 2>/dev/null | grep -qi "^${loc%%.*}\.utf-\?8$"; then
        echo "Generating locale $loc"
        as_root sed -i "s/^# *\(${loc} UTF-8\)/\1/" /etc/locale.gen
        grep -q "^${loc} UTF-8" /etc/locale.gen || echo "${loc} UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen >/dev/null
    fi
}
