#!/usr/bin/env bash
# Builds the Debian package from the build tree into a temporary folder and
# checks its file list, its declared dependencies, and that the installed
# programs load the shipped sample league.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/homeplate-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/homeplate_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' | sort > "$work/files"
status=0
expect() {
  grep -qx -- "$1" "$work/files" || { echo "missing from the package: $1"; status=1; }
}
for f in /usr/bin/homeplate /usr/bin/homeplate-cg \
         /usr/share/homeplate/baseball.ini /usr/share/homeplate/demo/demo.PRJ \
         /usr/share/homeplate/league/打擊整隊表年度.csv /usr/share/homeplate/league/投手整隊表年度.csv \
         /usr/share/homeplate/league/打者基本資料.csv /usr/share/homeplate/league/投手基本資料.csv \
         /usr/share/applications/homeplate.desktop /usr/share/applications/homeplate-cg.desktop \
         /usr/share/icons/hicolor/scalable/apps/homeplate.svg \
         /usr/share/icons/hicolor/scalable/apps/homeplate-cg.svg \
         /usr/share/doc/homeplate/README.md /usr/share/doc/homeplate/database.md \
         /usr/share/doc/homeplate/remote-control.md \
         /usr/share/doc/homeplate/operator-guide.md /usr/share/doc/homeplate/images/console.png \
         /usr/share/doc/homeplate/images/setup.png; do
  expect "$f"
done
if grep -v '^/usr/' "$work/files"; then echo "files outside /usr"; status=1; fi
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6httpserver6 libqt6websockets6 libqt6sql6-sqlite libqt6sql6-psql libcsv3 qt6-translations-l10n; do
  [[ "$depends" == *"$d"* ]] || { echo "not declared: $d (Depends: $depends)"; status=1; }
done
# The installed programs: the league loads into a new database.
dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin/homeplate"
"$work/root/usr/bin/homeplate-cg" --version > /dev/null
conn="Provider=SQLite;Data Source=$work/league.db"
"$bin" --init-db "$conn" > /dev/null
"$bin" --import-roster "$conn" "$work"/root/usr/share/homeplate/league/*.csv > "$work/import.log"
grep -q ' inserted, 0 updated, 0 unchanged' "$work/import.log" ||
  { cat "$work/import.log"; status=1; }
for exe in homeplate homeplate-cg; do
  grep -qx "Exec=$exe.*" "$work/root/usr/share/applications/$exe.desktop" ||
    { echo "$exe.desktop does not start $exe"; status=1; }
done
[ $status -eq 0 ] && echo "package file list and dependencies as expected"
exit $status
