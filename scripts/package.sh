#!/usr/bin/env bash
# Builds the packages into build/packages/ and checks them as a user would meet them:
#   vantrel_VERSION_amd64.deb      the command line, its man page and completions (CPack)
#   vantrel-VERSION-windows.zip    Vantrel.exe and vantrel-cli.exe for x86 and x64, the read-me
#                                  and the license with Windows line ends
# The .deb is unpacked and its vantrel run (--version and one real patch); the zip is unpacked
# and each program's version resource read back. lintian's findings are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${VANTREL_DEPS_READY:-}" = 1 ] || bash scripts/install-deps.sh

version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=$PWD/build/packages
rm -rf "$out"
mkdir -p "$out"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "=== package: the Debian package" >&2
cmake --preset native >/dev/null
cmake --build --preset native --target vantrel_cli vantrel_manual
(cd build/native && cpack -G DEB -B "$scratch/cpack" >/dev/null)
deb=$out/vantrel_${version}_amd64.deb
mv "$scratch/cpack/vantrel_${version}_amd64.deb" "$deb"

echo "=== package: the Windows release archive" >&2
stage=$scratch/vantrel-$version-windows
mkdir -p "$stage/x86" "$stage/x64"
for build in win32:x86:i686 win64:x64:x86_64; do
  IFS=: read -r preset arch triple <<<"$build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target Vantrel vantrel_cli
  for program in ui/Vantrel.exe cli/vantrel-cli.exe; do
    "$triple-w64-mingw32-strip" -o "$stage/$arch/${program#*/}" "build/$preset/$program"
  done
done
sed 's/$/\r/' README.md >"$stage/README.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
zip="$out/vantrel-$version-windows.zip"
(cd "$scratch" && zip -qrX "$zip" "vantrel-$version-windows")

echo "=== package: checks" >&2
failed=0
fail() { echo "package: FAIL: $*" >&2; failed=1; }

echo "--- $(basename "$deb"):"
dpkg-deb -c "$deb" | awk '{print "  " $6}'
unpacked=$scratch/deb
dpkg-deb -x "$deb" "$unpacked"
"$unpacked/usr/bin/vantrel" --version | sed 's/^/  /'
printf 'xx\xde\xad\xbe\xefxx' >"$scratch/sample.bin"
"$unpacked/usr/bin/vantrel" -f DEADBEEF -r CAFEBABE -y "$scratch/sample.bin" >/dev/null ||
  fail "the packaged vantrel did not patch a file"
[ "$(od -An -tx1 "$scratch/sample.bin" | tr -d ' \n')" = 7878cafebabe7878 ] ||
  fail "the packaged vantrel wrote $(od -An -tx1 "$scratch/sample.bin")"
zcat "$unpacked/usr/share/man/man1/vantrel.1.gz" | mandoc -Tlint -W warning >"$scratch/lint" 2>&1 || true
[ ! -s "$scratch/lint" ] || fail "mandoc: $(cat "$scratch/lint")"
lintian --pedantic "$deb" >"$scratch/lintian" 2>&1 || true
grep -v 'running with root privileges' "$scratch/lintian" | sed 's/^/  lintian: /' || true
! grep -q '^[EW]: ' "$scratch/lintian" || fail "lintian has errors or warnings"

echo "--- $(basename "$zip"):"
unzip -l "$zip" | awk 'NR>3 && $4 != "" {print "  " $4}' | grep -v '^  -*$' || true
unzip -q "$zip" -d "$scratch/zip"
for arch in x86 x64; do
  for program in Vantrel.exe vantrel-cli.exe; do
    dialog=
    [ "$program" = Vantrel.exe ] && dialog=--dialog
    /usr/bin/python3 tests/package/version_resource.py "$version" \
      "$scratch/zip/vantrel-$version-windows/$arch/$program" $dialog | sed "s|^|  $arch/|" ||
      fail "$arch/$program: its version resource"
  done
done
grep -q $'\r$' "$scratch/zip/vantrel-$version-windows/README.txt" || fail "README.txt has no Windows line ends"

[ $failed = 0 ] || exit 1
echo "=== packages: $deb $zip" >&2
