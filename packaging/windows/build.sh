#!/usr/bin/env bash
# Builds the Windows program and its installer on Debian 12, with Debian's own tools:
# MinGW-w64 (posix threads), Qt 6 built from Debian's qt6-base source (the same version as the
# host's moc, uic and rcc, which a cross-built Qt uses), SQLite from Debian's sqlite3 source and
# NSIS. The cross-built Qt is kept in a cache folder (KVZ_WIN_CACHE) and reused; an interrupted
# build goes on where it stopped. Prints the installer's path.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cache=${KVZ_WIN_CACHE:-/work/cache/kvz-win}
out=${KVZ_WIN_BUILD:-$root/build-windows}
jobs=${KVZ_WIN_JOBS:-2}
mingw=x86_64-w64-mingw32
toolchain=$here/toolchain.cmake
qt=$cache/qt
sqlite=$cache/sqlite
heavy=(nice -n 19)

. "$here/common.sh"

install_packages() {
    install_missing g++-mingw-w64-x86-64-posix mingw-w64-tools nsis cmake ninja-build dpkg-dev \
        tcl qt6-base-dev qt6-base-dev-tools qt6-translations-l10n sqlite3 perl python3
}

# An apt configuration of our own: deb-src entries for the mirrors and suites the system
# already uses, with lists and downloads in the cache, so the system's sources stay as they are.
private_apt() {
    local dir=$cache/apt
    mkdir -p "$dir/lists/partial" "$dir/archives/partial" "$dir/parts"
    apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Created-By: Packages' |
        sort -u | sed 's/^/deb-src /' >"$dir/sources.list"
    cat >"$dir/apt.conf" <<EOF
Dir::Etc::SourceList "$dir/sources.list";
Dir::Etc::SourceParts "$dir/parts";
Dir::State::Lists "$dir/lists";
Dir::Cache "$dir";
Dir::Cache::Archives "$dir/archives";
APT::Sandbox::User "root";
EOF
    export APT_CONFIG=$dir/apt.conf
    [ -n "$(find "$dir/lists" -maxdepth 1 -name '*Sources*' -print -quit)" ] || apt-get update -qq
}

# Unpacks Debian's source of a package, at the version of the named host package, into the cache.
fetch_source() {
    local source=$1 binary=$2 version dir
    version=$(dpkg-query -W -f='${source:Version}' "$binary")
    dir=$cache/src/$source
    if [ ! -f "$dir/.unpacked" ]; then
        say "Fetching the source of $source $version"
        rm -rf "$dir" && mkdir -p "$dir"
        (cd "$dir" && apt-get source -qq "$source=$version" >/dev/null)
        touch "$dir/.unpacked"
    fi
    find "$dir" -mindepth 1 -maxdepth 1 -type d -name "$source-*" | head -n1
}

# SQLite as a DLL: its amalgamation made by its own build on the host (it needs tclsh), then
# compiled once for Windows. Qt's driver and the program both link it.
build_sqlite() {
    [ -f "$sqlite/bin/sqlite3.dll" ] && return 0
    local src
    src=$(fetch_source sqlite3 libsqlite3-dev)
    say "Building SQLite for Windows"
    local work=$cache/sqlite-build
    mkdir -p "$work" "$sqlite/bin" "$sqlite/lib" "$sqlite/include"
    if [ ! -f "$work/sqlite3.c" ]; then
        (cd "$work" && "$src/configure" -q >/dev/null && "${heavy[@]}" make -s sqlite3.c >/dev/null)
    fi
    # The options Debian's own library is built with that the program may meet in a file.
    "${heavy[@]}" $mingw-gcc-posix -O2 -shared -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS5 \
        -DSQLITE_ENABLE_JSON1 -DSQLITE_ENABLE_RTREE -DSQLITE_SECURE_DELETE -DSQLITE_ENABLE_DBSTAT_VTAB \
        -DSQLITE_MAX_VARIABLE_NUMBER=250000 -DSQLITE_API='__declspec(dllexport)' \
        "$work/sqlite3.c" -o "$sqlite/bin/sqlite3.dll" -Wl,--out-implib,"$sqlite/lib/libsqlite3.dll.a"
    cp "$work/sqlite3.h" "$work/sqlite3ext.h" "$sqlite/include/"
}

# Qt's Core, Gui, Widgets, Sql (the SQLite driver) and PrintSupport, with the Windows platform,
# style and print plugins: what the program uses and nothing more.
build_qt() {
    [ -f "$qt/.installed" ] && return 0
    local src work=$cache/qt-build
    src=$(fetch_source qt6-base qt6-base-dev)
    mkdir -p "$work"
    if [ ! -f "$work/build.ninja" ]; then
        say "Configuring Qt for Windows"
        (cd "$work" && "$src/configure" -prefix "$qt" -xplatform win32-g++ -qt-host-path /usr \
            -release -shared -nomake tests -nomake examples -no-opengl -no-dbus -no-icu \
            -system-sqlite -sql-sqlite -no-sql-psql -no-sql-odbc -no-sql-mysql -no-sql-ibase \
            -no-feature-network -no-feature-xml -no-feature-concurrent -no-feature-testlib \
            -no-feature-vulkan -no-feature-direct2d -no-feature-sql-db2 -no-feature-sql-oci \
            -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre -- \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DSQLite3_INCLUDE_DIR="$sqlite/include" -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.dll.a" \
            -G Ninja) >"$cache/qt-configure.log" 2>&1 ||
            { tail -n 40 "$cache/qt-configure.log" >&2; rm -f "$work/build.ninja"; return 1; }
    fi
    say "Building Qt for Windows (the first time takes long; log: $cache/qt-build.log)"
    "${heavy[@]}" ninja -C "$work" -j "$jobs" >>"$cache/qt-build.log" 2>&1 ||
        { tail -n 40 "$cache/qt-build.log" >&2; return 1; }
    ninja -C "$work" install >"$cache/qt-install.log" 2>&1
    touch "$qt/.installed"
}

main() {
    install_packages
    mkdir -p "$cache"
    private_apt
    build_sqlite
    build_qt
    [ "${1:-}" = --qt-only ] && return 0
    "$here/package.sh" "$root" "$out" "$cache"
}

main "$@"
