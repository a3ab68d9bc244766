#!/usr/bin/env bash
# smoke.sh [INSTALLER]: the Windows program as a person meets it, under Debian's Wine on a
# virtual display of its own, in a fresh Wine prefix with the Russian locale. Installs silently,
# starts the program from its Start-menu entry, checks the caption read from a title.ini in
# Windows-1251, takes a student's road by keys, reads the stored row back from the prefix's
# C:\Program Files\Тест\kvz_1.mdb, then as the teacher saves the report as PDF and reads it.
# Screenshots of every window passed go to build-windows/smoke/. Exits non-zero on any difference.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${KVZ_WIN_BUILD:-$root/build-windows}
installer=${1:-$(ls -t "$out"/kvz-*-windows-x64.exe 2>/dev/null | head -n1)}
shots=$out/smoke
wine=/usr/lib/wine/wine64
student="Petrov Petr Petrovich"
title="География. 7 класс"
password=5826

. "$here/common.sh"
fail() {
    printf 'smoke: %s\n' "$*" >&2
    exit 1
}

install_packages() {
    install_missing wine64 wine xvfb xauth xdotool imagemagick x11-utils locales poppler-utils \
        sqlite3 fonts-wine fonts-liberation
}

cleanup() {
    if [ -n "${WINEPREFIX:-}" ]; then /usr/lib/wine/wineserver64 -k 2>/dev/null || true; fi
    if [ -n "${xvfb:-}" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$tmp"
}

# The Russian locale from the system's own definitions into the temporary folder, when the
# system has not made it: nothing of the system's configuration changes.
russian_locale() {
    if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
        mkdir -p "$tmp/locale"
        localedef -i ru_RU -f UTF-8 "$tmp/locale/ru_RU.UTF-8"
        export LOCPATH=$tmp/locale
    fi
    # This shell cannot take a locale from LOCPATH (only the programs it starts do): it would
    # say so.
    { export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8; } 2>/dev/null
}

start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
    xvfb=$!
    local _
    for _ in $(seq 50); do
        [ -s "$tmp/display" ] && break
        sleep 0.2
    done
    [ -s "$tmp/display" ] || fail "the virtual display did not start"
    DISPLAY=:$(cat "$tmp/display")
    export DISPLAY
}

# The id of a shown window whose caption matches the pattern (extended regular expression),
# waited for up to 60 s.
window() {
    local pattern=$1 id _
    for _ in $(seq 120); do
        for id in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
            echo "$id"
            return 0
        done
        sleep 0.5
    done
    return 1
}

caption() { xdotool getwindowname "$1"; }

gone() {
    local pattern=$1 _
    for _ in $(seq 60); do
        [ -z "$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null)" ] && return 0
        sleep 0.5
    done
    return 1
}

shot() {
    local id=$1 name=$2
    sleep 0.7 # the window's first paint
    import -window "$id" "$shots/$name.png" 2>/dev/null || import -window root "$shots/$name.png"
}

# Keys go to the focused window through the X server, as a keyboard's do.
keys() {
    local id=$1
    shift
    timeout 5 xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
    sleep 0.3
    xdotool key --delay 120 "$@"
}

typed() {
    local id=$1 text=$2
    xdotool windowfocus "$id"
    sleep 0.3
    xdotool type --delay 80 "$text"
}

wine_prefix() {
    export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    say "Making a fresh Wine prefix"
    "$wine" wineboot --init >"$tmp/wineboot.log" 2>&1
    drive=$WINEPREFIX/drive_c
    data="$drive/Program Files/Тест"
    program="$drive/Program Files/Тест КВЗ"
    menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Тест КВЗ.lnk"
}

install_program() {
    say "Installing $(basename "$installer") with /S"
    "$wine" "$installer" /S >"$tmp/install.log" 2>&1 || fail "the installer failed"
    local file
    for file in "$program/kvz.exe" "$data/kvz_1.mdb" "$menu" "$program/uninstall.exe"; do
        [ -e "$file" ] || fail "not installed: ${file#"$drive"/}"
    done
}

# The test's title as a teacher's Windows editor keeps it: Windows-1251, CR LF.
write_title() {
    printf '%s\r\n' "$title" | iconv -f UTF-8 -t CP1251 >"$data/title.ini"
}

# Started as the Start menu starts it: the entry, with the working folder it names (start.exe
# follows a link by its Windows name only).
start_program() {
    "$wine" start "$("$wine" winepath -w "$menu" 2>/dev/null)" >>"$tmp/program.log" 2>&1
}

start_window() {
    local id
    id=$(window 'V-1\.01$') || fail "no start window"
    [ "$(caption "$id")" = "$title V-1.01" ] ||
        fail "start window's caption: '$(caption "$id")', expected '$title V-1.01'"
    echo "$id"
}

# The ticks of each question, "1 0 1 0": the key for the first five questions, option 1 alone
# for the others; and the flags and percentage those answers must store.
plan_answers() {
    local key n=0 right=0
    ticks=() flags=()
    while IFS='|' read -r -a key; do
        n=$((n + 1))
        local tick=(1 0 0 0)
        [ "$n" -le 5 ] && tick=("${key[@]/-1/1}")
        ticks+=("${tick[*]}")
        local keyed=("${key[@]/-1/1}")
        if [ "${tick[*]}" = "${keyed[*]}" ]; then
            flags+=(-1) && right=$((right + 1))
        else
            flags+=(0)
        fi
    done < <(sqlite3 -readonly "$data/kvz_1.mdb" \
        'SELECT Rezult_1, Rezult_2, Rezult_3, Rezult_4 FROM Zadanie ORDER BY rowid')
    [ ${#flags[@]} -eq 10 ] || fail "the database has ${#flags[@]} questions"
    stored_percentage=$((right * 10))
}

# From the question box: Tab to each option, Space where it is ticked, Tab on to "Далее >>".
answer_questions() {
    local id=$1 n tick sequence
    keys "$id" Tab # "Далее >>" has the focus as the window opens; the question box after each
    for n in $(seq 10); do
        [ "$n" = 1 ] && shot "$id" 3-test
        sequence=(Tab)
        for tick in ${ticks[n - 1]}; do
            [ "$tick" = 1 ] && sequence+=(space)
            sequence+=(Tab)
        done
        keys "$id" "${sequence[@]}"
        sleep 0.3
        keys "$id" space
        sleep 0.6
        if xdotool search --onlyvisible --name '^Внимание' >/dev/null 2>&1; then
            fail "question $n: the answer was not taken"
        fi
    done
}

student_road() {
    say "The student's road"
    local id
    id=$(start_window)
    shot "$id" 1-start
    keys "$id" space
    id=$(window '^Авторизация') || fail "no sign-in window"
    typed "$id" "$student"
    shot "$id" 2-sign-in
    keys "$id" Tab space
    id=$(window 'Режим пользователя') || fail "no test window"
    answer_questions "$id"
    id=$(window '^Результат выполнения теста$') || fail "no result screen"
    sleep 1.5 # the test window stores the row at its next tick, the screen reads it at its own
    shot "$id" 4-result
    stored_row
    keys "$id" space
    id=$(window '^Сообщение$') || fail "no message at the test's end"
    shot "$id" 5-end
    keys "$id" Return
    gone 'V-1\.01|Результат выполнения теста|Сообщение' || fail "the program did not end"
}

# The row the student's road stored, read back from the file at the fixed place.
stored_row() {
    local fields="" n expected row
    expected="$student|$(IFS='|' && echo "${flags[*]}")|$stored_percentage"
    for n in $(seq 10); do fields+="\"Вопрос $n\", "; done
    row=$(sqlite3 -readonly "$data/kvz_1.mdb" "SELECT \"Фамилия, Имя, Отчество\", $fields
        \"Результат выполнения\" FROM Rezultat ORDER BY \"Код\" DESC LIMIT 1")
    [ "$row" = "$expected" ] || fail "stored row: '$row', expected '$expected'"
    say "Stored: $row"
}

# The one window the program shows, once the start window has gone: the password window has no
# caption of its own to be found by.
sole_window() {
    local ids _
    gone 'V-1\.01$' || fail "the start window stayed"
    for _ in $(seq 60); do
        ids=$(xdotool search --onlyvisible --classname 'kvz' 2>/dev/null || true)
        [ "$(wc -w <<<"$ids")" = 1 ] && echo "$ids" && return 0
        sleep 0.5
    done
    return 1
}

teacher_road() {
    say "The teacher's road: the report as PDF"
    start_program
    local id
    id=$(start_window)
    keys "$id" Tab Down Down shift+Tab space # "Режим Учителя", then ОК
    id=$(sole_window) || fail "no password window"
    typed "$id" "$password"
    shot "$id" 6-password
    keys "$id" Tab space
    id=$(window '^Редактор теста') || fail "no editor"
    shot "$id" 7-editor
    keys "$id" alt Right Down Down Return # Отчет, Просмотр отчета
    id=$(window '^Отчет выполнения теста$') || fail "no report preview"
    shot "$id" 8-report
    keys "$id" Tab Tab space # "Сохранить в PDF..."
    id=$(window 'PDF') || fail "no save dialog"
    shot "$id" 9-save
    keys "$id" Return
    check_pdf
}

check_pdf() {
    local pdf text _
    pdf="$drive/users/$(id -un)/Отчет выполнения теста.pdf"
    for _ in $(seq 40); do
        [ -s "$pdf" ] && break
        sleep 0.5
    done
    [ -s "$pdf" ] || fail "no PDF at ${pdf#"$drive"/}"
    sleep 1
    text=$(pdftotext -layout "$pdf" -)
    local line
    for line in "Результат выполнения теста учащимися" "$student" \
        "В среднем тест участниками выполнен на" "(-1) Ответ верный, (0) Ответ неверный"; do
        grep -qF -- "$line" <<<"$text" || fail "the PDF lacks '$line'"
    done
    grep -qE -- "^ *$student( +-?[01]){10} +$stored_percentage\b" <<<"$text" ||
        fail "the PDF's line of $student differs"
    cp "$pdf" "$shots/report.pdf"
    say "The PDF holds the report"
}

main() {
    [ -f "$installer" ] || fail "no installer (run packaging/windows/build.sh first)"
    install_packages
    tmp=$(mktemp -d /tmp/kvz-smoke.XXXXXX)
    trap cleanup EXIT
    rm -rf "$shots" && mkdir -p "$shots"
    russian_locale
    start_display
    wine_prefix
    install_program
    write_title
    plan_answers
    start_program
    student_road
    teacher_road
    say "Windows smoke check passed; screenshots in $shots"
}

main "$@"
