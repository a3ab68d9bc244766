#!/usr/bin/env bash
# package.sh ROOT OUT CACHE: cross-builds kvz.exe against the Qt and SQLite in CACHE, gathers it
# with every library, plugin and file it needs, and makes the installer with makensis. Run by
# build.sh, which prepares the cache; prints the installer's path.
set -euo pipefail
root=$1 out=$2 cache=$3
here=$(cd "$(dirname "$0")" && pwd)
qt=$cache/qt
sqlite=$cache/sqlite
mingw=x86_64-w64-mingw32
build=$out/build
stage=$out/stage
program=$stage/program

say() { printf '== %s\n' "$*" >&2; }

build_program() {
    say "Building kvz.exe"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$here/toolchain.cmake" -DKVZ_BUILD_TESTS=OFF \
        -DCMAKE_PREFIX_PATH="$qt" -DQt6_DIR="$qt/lib/cmake/Qt6" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DSQLite3_INCLUDE_DIR="$sqlite/include" -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.dll.a" \
        >"$out/configure.log" || { cat "$out/configure.log" >&2; return 1; }
    nice -n 19 cmake --build "$build" -j "${KVZ_WIN_JOBS:-2}" --target kvz delivered_db
    $mingw-strip "$build/src/startup/kvz.exe"
}

# The compiler's own run-time libraries, from the posix variant the program was built with.
runtime_library() {
    local name=$1 found
    found=$($mingw-g++-posix -print-file-name="$name")
    [ -f "$found" ] || found=/usr/$mingw/lib/$name
    [ -f "$found" ] || { echo "Not found: $name" >&2; return 1; }
    echo "$found"
}

stage_files() {
    say "Gathering the program's files"
    rm -rf "$stage" && mkdir -p "$program/translations"
    cp "$build/src/startup/kvz.exe" "$root/resources/HELP_TEST.HLP" "$program/"
    cp "$build/kvz_1.mdb" "$root/resources/kvz.ico" "$stage/"
    local module plugin
    for module in Core Gui Widgets Sql PrintSupport; do
        cp "$qt/bin/Qt6$module.dll" "$program/"
    done
    # Windows' printing is inside Qt6PrintSupport itself.
    for plugin in platforms/qwindows sqldrivers/qsqlite styles/qwindowsvistastyle; do
        mkdir -p "$program/plugins/${plugin%/*}"
        cp "$qt/plugins/$plugin.dll" "$program/plugins/$plugin.dll"
    done
    cp "$sqlite/bin/sqlite3.dll" "$program/"
    for module in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
        cp "$(runtime_library "$module")" "$program/"
    done
    $mingw-strip --strip-unneeded "$program"/*.dll "$program"/plugins/*/*.dll
    # Qt's own dialogs in Russian; the texts do not depend on the system they were made on.
    cp /usr/share/qt6/translations/qtbase_ru.qm "$program/translations/"
    # Qt finds its plugins and translations beside the program, wherever it is installed.
    printf '[Paths]\r\nPrefix = .\r\nPlugins = plugins\r\nTranslations = translations\r\n' \
        >"$program/qt.conf"
}

# Every library a file of the program asks for is either among them or one of Windows' own
# (MinGW has an import library for each of those): a missing DLL shows here, not on a school PC.
check_libraries() {
    local file dll missing=0
    while read -r dll; do
        [ -f "$program/$dll" ] && continue
        [[ ${dll,,} == api-ms-win-* ]] && continue # Windows' own sets of functions
        [ -n "$(find "/usr/$mingw/lib" -maxdepth 1 -iname "lib${dll%.*}.a" -print -quit)" ] && continue
        echo "No library $dll for the program" >&2
        missing=1
    done < <(for file in "$program"/*.exe "$program"/*.dll "$program"/plugins/*/*.dll; do
        $mingw-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'
    done | sort -u)
    return $missing
}

make_installer() {
    local version installer
    version=$(sed -n 's/^project(kvz VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
    installer=$out/kvz-$version-windows-x64.exe
    say "Making the installer"
    makensis -V2 -INPUTCHARSET UTF8 -DSTAGE="$stage" -DOUTFILE="$installer" \
        -DVERSION="$version" "$here/kvz.nsi" >&2
    echo "$installer"
}

build_program
stage_files
check_libraries
make_installer
