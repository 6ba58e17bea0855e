#!/usr/bin/env bash
# The installer's modes under Wine, in a prefix of its own whose user's name is not ASCII:
#   packaging/windows/installer-check.sh SETUP.exe      ends with: installer: N passed, N failed
# Wine counts its user as an administrator (a bare /S installs for all users there), so the
# install for one user is checked through /S /CurrentUser, the mode a user without those rights gets.
set -uo pipefail
setup=$(realpath "$1")
export LANG=C.UTF-8 USER=Jörg LOGNAME=Jörg WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
export WINEPREFIX=$(dirname "$setup")/wine-installer
unset DISPLAY WAYLAND_DISPLAY
rm -rf "$WINEPREFIX" && wine wineboot -i >/dev/null 2>&1
mine=$WINEPREFIX/drive_c/users/$USER/AppData/Local/Programs/Pelorin
ours=$WINEPREFIX/drive_c/Program\ Files/Pelorin
mine_win='AppData\Local\Programs\Pelorin' ours_win='C:\Program Files\Pelorin' # as the registry holds them
user_menu=$WINEPREFIX/drive_c/users/$USER/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Pelorin.lnk
all_menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Pelorin.lnk
uninstall='Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelorin'
machine_env='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'

run() { wine "$@" >/dev/null 2>&1; local status=$?; wineserver -w; return $status; }
value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p"; }
kvd() { wine reg query "$1\\Software\\Classes\\.kvd" /ve 2>/dev/null | grep -c Pelorin.Definition; }
location() { value "$1\\$uninstall" InstallLocation; }
on_user_path() { value 'HKCU\Environment' Path | grep -oF "$mine_win" | wc -l; }

passed=0 failed=0 problems=()
expect() { local what=$1; shift; "$@" || problems+=("$what"); }
verdict() {
    if [ ${#problems[@]} -eq 0 ]; then passed=$((passed + 1)) && echo "PASS   $1"
    else failed=$((failed + 1)) && printf 'FAIL   %s: %s\n' "$1" "$(IFS=';'; echo "${problems[*]}")"; fi
    problems=()
}

machine_path=$(value "$machine_env" PATH)
expect "exit status" run "$setup" /S /CurrentUser
expect "files" test -f "$mine/pelorin.exe" -a -f "$mine/kvdtool.exe" -a -f "$user_menu"
expect "HKCU entries" test "$(kvd HKCU)" = 1 -a "$(on_user_path)" = 1 -a -n "$(location HKCU)"
expect "kvdtool on the PATH" grep -q 'usage: kvdtool dump' <<<"$(wine cmd /c 'kvdtool dump --help' 2>&1)"
expect "nothing for all users" test ! -e "$ours" -a ! -e "$all_menu" -a "$(kvd HKLM)" = 0 -a -z "$(location HKLM)"
expect "machine PATH kept" test "$(value "$machine_env" PATH)" = "$machine_path"
verdict "/S /CurrentUser installs for this user alone"

expect "exit status" run "$setup" /S /CurrentUser
expect "files and entries, PATH once" test -f "$mine/pelorin.exe" -a "$(kvd HKCU)" = 1 -a "$(on_user_path)" = 1
verdict "installing again replaces the files and keeps the association"

expect "exit status" run "$setup" /S /AllUsers
expect "files" test -f "$ours/pelorin.exe" -a -f "$ours/kvdtool.exe" -a -f "$all_menu"
expect "HKLM entries" test "$(kvd HKLM)" = 1 -a "$(location HKLM)" = "$ours_win"
expect "machine PATH" test "$(value "$machine_env" PATH)" = "$machine_path;$ours_win"
expect "the install for this user kept" test -f "$mine/pelorin.exe" -a "$(kvd HKCU)" = 1
verdict "/S /AllUsers installs for all users beside it"

wine "$mine/pelorin.exe" >/dev/null 2>&1 &
program=$!
for _ in $(seq 50); do # until Wine's loader has become pelorin.exe, then a moment for its DLLs
    tr '\0' ' ' <"/proc/$program/cmdline" 2>/dev/null | grep -q 'pelorin\.exe' && break
    sleep 0.2
done
sleep 2
stamp=$(stat -c %Y "$mine/pelorin.exe")
expect "install refused" test "$(wine "$setup" /S /CurrentUser >/dev/null 2>&1; echo $?)" -ne 0
expect "uninstall refused" test "$(wine "$mine/uninstall.exe" /S "_?=C:\\users\\$USER\\$mine_win" >/dev/null 2>&1; echo $?)" -ne 0
expect "files untouched" test -f "$mine/Qt6Core.dll" -a "$(stat -c %Y "$mine/pelorin.exe")" = "$stamp"
kill "$program" 2>/dev/null
wait "$program" 2>/dev/null
wineserver -w
verdict "a running program stops install and uninstall"

expect "exit status" run "$mine/uninstall.exe" /S
expect "all of it removed" test ! -e "$mine" -a ! -e "$user_menu" -a "$(kvd HKCU)" = 0 -a -z "$(location HKCU)" -a "$(on_user_path)" = 0
expect "the install for all users kept" test -f "$ours/pelorin.exe" -a -f "$all_menu" -a "$(kvd HKLM)" = 1
expect "machine PATH kept" test "$(value "$machine_env" PATH)" = "$machine_path;$ours_win"
verdict "the uninstaller for this user removes only its own"

expect "exit status" run "$ours/uninstall.exe" /S
expect "all of it removed" test ! -e "$ours" -a ! -e "$all_menu" -a "$(kvd HKLM)" = 0 -a -z "$(location HKLM)"
expect "machine PATH as before" test "$(value "$machine_env" PATH)" = "$machine_path"
verdict "the uninstaller for all users removes the rest"

wineserver -k 2>/dev/null
echo "installer: $passed passed, $failed failed"
