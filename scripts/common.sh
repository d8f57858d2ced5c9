# Shared by scripts/run and scripts/test: the Debian packages the project needs, installed only when
# missing, and one CMake configure-and-build step.

PINLET_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Everything a fresh Debian 12 machine lacks to build, test and run Pinlet.
PINLET_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev
    libsqlite3-dev zlib1g-dev
    g++-mingw-w64-x86-64-posix
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core
    libxcb1-dev libxcb-damage0-dev
    xvfb icewm xdotool x11-utils sqlite3 imagemagick
    desktop-file-utils appstream lintian
)

pinlet_install_missing() {
    local missing=()
    local pkg
    for pkg in "${PINLET_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "pinlet: every needed package is installed"
        return 0
    fi
    echo "pinlet: installing missing packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "pinlet: not root and no sudo; install these packages first: ${missing[*]}" >&2
            return 1
        fi
        sudo="sudo"
    fi
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# pinlet_build DIR [cmake options...]: configure once, then build everything in DIR with Ninja.
pinlet_build() {
    local dir="$1"
    shift
    echo "pinlet: building in $dir"
    cmake -S "$PINLET_ROOT" -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j "$(nproc)"
}
