# Shared set-up of the README's commands: install the Debian packages that are missing,
# configure the build folder when needed, and build what is out of date.
# Sourced by ./run, ./test and .ci/run; expects to run from the repository root.

VARNEL_PACKAGES=(cmake g++ ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
    qt6-base-dev qt6-svg-dev libgl-dev fonts-dejavu-core)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "== installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
}

# configure_and_build BUILD_DIR [extra cmake arguments...]
configure_and_build() {
    local dir="$1"
    shift
    local werror=OFF
    [ -n "${CI:-}" ] && werror=ON
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja -DVARNEL_WERROR="$werror" "$@"
    fi
    cmake --build "$dir" -j "$(nproc)"
}
