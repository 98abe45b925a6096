# Sourced by the other scripts: installs the Debian packages a step needs,
# only those that are missing, so a warm machine pays nothing.
need_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if ! command -v apt-get >/dev/null 2>&1; then
        echo "Please install: ${missing[*]}" >&2
        return 1
    fi
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What building and running the debugger needs.
BUILD_PACKAGES=(cmake ninja-build g++ libedit-dev)
# What the full test run adds: the test framework, clang for the fuzzers, the
# reference disassembler, the Windows cross-compiler, and Wine to run its build
# (with a virtual X server for its console window).
TEST_PACKAGES=(googletest libgtest-dev clang libclang-rt-14-dev binutils-sh4-linux-gnu g++-mingw-w64-x86-64-posix
    wine xvfb)
