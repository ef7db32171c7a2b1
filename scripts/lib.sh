# Shared by the scripts: installing what is missing and building.
# Source it; it expects $root to be the repository's top folder.

# The Debian packages the panel needs to build and run its tests: the Qt
# front-end, and doctest for the model's tests.
build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
                fonts-liberation2 doctest-dev)

# For the sanitized build, the fuzzer and the reader's code-page tests:
# libFuzzer comes with clang's runtime; llvm-symbolizer names the lines of a
# sanitizer's report; locales holds the sources that localedef builds the
# double-byte test locales from.
hardening_packages=(clang libclang-rt-14-dev llvm locales)

# Installs the named Debian packages that are not installed yet. Not root:
# prints the one apt-get line to run, and stops.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Run, then try again:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds into $1 (default build/) with any extra cmake options.
build_project() {
    local dir=${1:-$root/build}
    shift || true
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${SALLE30_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}
