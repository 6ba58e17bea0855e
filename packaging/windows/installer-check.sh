#!/usr/bin/env bash
# Checks the installer's modes under Wine, in a Wine prefix of its own whose user has a
# name with non-ASCII letters:
#   packaging/windows/installer-check.sh build-win/pelorin-VERSION-win64-setup.exe
# Ends with one line: installer: N passed, N failed.
#
# Wine reports its user as an administrator, so a bare /S installs for all users there; the
# install for one user is checked through /S /CurrentUser, the mode that a user without
# administrator rights gets.
set -uo pipefail
setup=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
export LANG=C.UTF-8 USER=Jörg LOGNAME=Jörg
export WINEPREFIX=$(dirname "$setup")/wine-installer WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
unset DISPLAY WAYLAND_DISPLAY
rm -rf "$WINEPREFIX"
wine wineboot -i >/dev/null 2>&1

c=$WINEPREFIX/drive_c
mine=$c/users/$USER/AppData/Local/Programs/Pelorin
ours=$c/Program\ Files/Pelorin
mine_win='AppData\Local\Programs\Pelorin' # the folder as the registry holds it, in ASCII
ours_win='C:\Program Files\Pelorin'
user_menu=$c/users/$USER/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Pelorin.lnk
all_menu=$c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Pelorin.lnk
uninstall='Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelorin'
machine_env='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'

run() { wine "$@" >/dev/null 2>&1; local status=$?; wineserver -w; return $status; }
# A registry value as text; empty when the key or value is missing.
value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p"; }
kvd_type() { wine reg query "$1\\Software\\Classes\\.kvd" /ve 2>/dev/null | tr -d '\r' | sed -nE 's/^ +\(Default\) +REG_SZ +//p'; }
count() { grep -oF -- "$2" <<<"$1" | wc -l; }

passed=0
failed=0
problems=()
expect() { local what=$1; shift; "$@" || problems+=("$what"); }
verdict() {
    if [ ${#problems[@]} -eq 0 ]; then
        passed=$((passed + 1))
        echo "PASS   $1"
    else
        failed=$((failed + 1))
        printf 'FAIL   %s: %s\n' "$1" "$(IFS=';'; echo "${problems[*]}")"
    fi
    problems=()
}

machine_path=$(value "$machine_env" PATH)

expect "exit status 0" run "$setup" /S /CurrentUser
expect "programs in %LOCALAPPDATA%\\Programs\\Pelorin" test -f "$mine/pelorin.exe" -a -f "$mine/kvdtool.exe" -a -f "$mine/uninstall.exe"
expect "the user's Start-menu entry" test -f "$user_menu"
expect ".kvd under HKCU" test "$(kvd_type HKCU)" = Pelorin.Definition
expect "uninstall entry under HKCU" grep -qF "$mine_win" <<<"$(value "HKCU\\$uninstall" InstallLocation)"
expect "folder on the user's PATH" grep -qF "$mine_win" <<<"$(value 'HKCU\Environment' Path)"
expect "kvdtool runs from the PATH" grep -q 'usage: kvdtool dump' <<<"$(wine cmd /c 'kvdtool dump --help' 2>&1)"
expect "nothing in Program Files" test ! -e "$ours" -a ! -e "$all_menu"
expect "nothing under HKLM" test -z "$(kvd_type HKLM)" -a -z "$(value "HKLM\\$uninstall" InstallLocation)"
expect "machine PATH unchanged" test "$(value "$machine_env" PATH)" = "$machine_path"
verdict "/S /CurrentUser installs for this user alone"

expect "exit status 0" run "$setup" /S /CurrentUser
expect "programs still there" test -f "$mine/pelorin.exe"
expect ".kvd kept" test "$(kvd_type HKCU)" = Pelorin.Definition
expect "folder once on the PATH" test "$(count "$(value 'HKCU\Environment' Path)" "$mine_win")" -eq 1
verdict "installing again replaces the files and keeps the association"

expect "exit status 0" run "$setup" /S /AllUsers
expect "programs in Program Files" test -f "$ours/pelorin.exe" -a -f "$ours/kvdtool.exe"
expect "the common Start-menu entry" test -f "$all_menu"
expect ".kvd under HKLM" test "$(kvd_type HKLM)" = Pelorin.Definition
expect "uninstall entry under HKLM" test "$(value "HKLM\\$uninstall" InstallLocation)" = "$ours_win"
expect "folder on the machine's PATH" test "$(value "$machine_env" PATH)" = "$machine_path;$ours_win"
expect "the install for this user kept" test -f "$mine/pelorin.exe" -a "$(kvd_type HKCU)" = Pelorin.Definition
verdict "/S /AllUsers installs for all users beside it"

# A running pelorin.exe holds its folder: install and uninstall stop and change nothing.
wine "$mine/pelorin.exe" >/dev/null 2>&1 &
program=$!
for _ in $(seq 50); do # until Wine's loader has become pelorin.exe, and a moment for its DLLs
    tr '\0' ' ' <"/proc/$program/cmdline" 2>/dev/null | grep -q 'pelorin\.exe' && break
    sleep 0.2
done
sleep 2
stamp=$(stat -c %Y "$mine/pelorin.exe")
expect "install refused" test "$(wine "$setup" /S /CurrentUser >/dev/null 2>&1; echo $?)" -ne 0
expect "uninstall refused" test "$(wine "$mine/uninstall.exe" /S "_?=C:\\users\\$USER\\AppData\\Local\\Programs\\Pelorin" >/dev/null 2>&1; echo $?)" -ne 0
expect "files untouched" test -f "$mine/Qt6Core.dll" -a "$(stat -c %Y "$mine/pelorin.exe")" = "$stamp"
kill "$program" 2>/dev/null
wait "$program" 2>/dev/null
wineserver -w
verdict "a running program stops install and uninstall"

expect "exit status 0" run "$mine/uninstall.exe" /S
expect "folder removed" test ! -e "$mine"
expect "Start-menu entry removed" test ! -e "$user_menu"
expect "HKCU cleaned" test -z "$(kvd_type HKCU)" -a -z "$(value "HKCU\\$uninstall" InstallLocation)"
expect "folder off the user's PATH" test "$(count "$(value 'HKCU\Environment' Path)" "$mine_win")" -eq 0
expect "the install for all users kept" test -f "$ours/pelorin.exe" -a -f "$all_menu" -a "$(kvd_type HKLM)" = Pelorin.Definition
expect "machine PATH kept" test "$(value "$machine_env" PATH)" = "$machine_path;$ours_win"
verdict "the uninstaller for this user removes only its own"

expect "exit status 0" run "$ours/uninstall.exe" /S
expect "folder removed" test ! -e "$ours"
expect "Start-menu entry removed" test ! -e "$all_menu"
expect "HKLM cleaned" test -z "$(kvd_type HKLM)" -a -z "$(value "HKLM\\$uninstall" InstallLocation)"
expect "machine PATH as before" test "$(value "$machine_env" PATH)" = "$machine_path"
verdict "the uninstaller for all users removes the rest"

wineserver -k 2>/dev/null
echo "installer: $passed passed, $failed failed"
