# Sourced by run.sh and test.sh: installs what the build, the program and the tests need.
KVZ_PACKAGES="cmake make g++ qt6-base-dev qt6-base-dev-tools libxcb1-dev libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev libfontconfig-dev fonts-liberation fonts-dejavu-core libcups2-dev qt6-translations-l10n"
# Only the tests: pdftotext reads the report's PDF back, the Debian package's dependencies are
# found by dpkg-shlibdeps, and lintian checks the package against Debian's policy; a virtual
# display with the session and accessibility buses shows what the program tells a screen reader;
# PostgreSQL's pg_virtualenv runs the class server's tests in a throw-away cluster.
KVZ_TEST_PACKAGES="poppler-utils dpkg-dev lintian xvfb xauth dbus at-spi2-core postgresql"

# Installs KVZ_PACKAGES and the packages named as arguments.
kvz_install_packages() {
    local missing=()
    for p in $KVZ_PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

kvz_build() {
    local dir=$1; shift
    cmake -S "$KVZ_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}
