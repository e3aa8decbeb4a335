#!/usr/bin/env bash
# Installs everything the build, the tests and the benchmarks need on Debian 12. Safe to run
# again: it only asks apt for what is missing.
#
# Two sets, in two steps. The 64-bit set (the native, win64, asan and fuzz presets and their
# tests) is required: the script fails when it cannot be installed. The 32-bit Wine is
# optional: the archive's i386 indexes can lag behind the amd64 ones for hours, and some
# kernels run no 32-bit programs anyway. When it cannot be installed the script says why in
# one line, keeps the reason for scripts/can-run-32bit.sh, and goes on.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ make googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 xvfb xauth x11-utils imagemagick
  locales fonts-wqy-microhei fonts-wine
  ripgrep hyperfine bbe time util-linux python3 strace
  mandoc zsh fish bash-completion dpkg-dev fakeroot lintian zip unzip python3-pefile
)
packages32=(wine32:i386)
# Why the 32-bit Wine is missing, for scripts/can-run-32bit.sh; absent when it is installed.
wine32_note=build/wine32-not-installed.txt

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# Another apt at work (a fresh machine's daily update, say) holds the lock: wait for it.
wait_lock=(-o DPkg::Lock::Timeout=600)
apt_get() { DEBIAN_FRONTEND=noninteractive as_root apt-get "${wait_lock[@]}" -y -q --no-install-recommends "$@"; }

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# The first line apt marked as an error, for a one-line report.
first_error() { grep -m1 '^E: ' "$1" | cut -c4- || true; }

# A few tries, for a mirror in the middle of a sync. Indexes that still fail are left out: the
# installs below are the judge of whether what is there is enough.
update_indexes() {
  local log attempt
  log=$(mktemp)
  for attempt in 1 2 3; do
    if as_root apt-get "${wait_lock[@]}" update -q >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    [ "$attempt" -lt 3 ] && sleep $((attempt * 5))
  done
  echo "install-deps: apt-get update failed three times; going on with the indexes it has ($(first_error "$log"))" >&2
  rm -f "$log"
}

# Installs the 32-bit Wine. Where the i386 indexes of the security suite are missing, the
# multi-arch pairs (libfoo:amd64 and libfoo:i386 must have one version) cannot be matched
# as the candidates stand; taking both sides of each pair from the release suite matches them.
# That is tried only when apt removes nothing for it, and it is said in one line.
install_wine32() {
  local log release prefs
  log=$(mktemp)
  if apt_get install "${packages32[@]}" >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  local why
  why=$(first_error "$log")
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  prefs=$(mktemp)
  [ -f /etc/apt/preferences ] && cat /etc/apt/preferences >"$prefs"
  printf '\nPackage: *\nPin: release n=%s\nPin-Priority: 1001\n' "$release" >>"$prefs"
  local from_release=(-o "Dir::Etc::Preferences=$prefs")
  if [ -n "$release" ] && as_root apt-get "${wait_lock[@]}" install -s --no-install-recommends --allow-downgrades "${from_release[@]}" \
    "${packages32[@]}" >"$log" 2>&1 && ! grep -q '^Remv ' "$log"; then
    local downgraded
    downgraded=$(sed -n '/^The following packages will be DOWNGRADED:/,/^[^ ]/{/^ /p}' "$log" | xargs)
    if apt_get install --allow-downgrades "${from_release[@]}" "${packages32[@]}" >"$log" 2>&1; then
      echo "install-deps: the 32-bit Wine was installed with both sides of each multi-arch pair from $release" \
        "(as it stood, apt said: $why)${downgraded:+; taken back to $release: $downgraded}" >&2
      rm -f "$log" "$prefs"
      return 0
    fi
  fi
  rm -f "$prefs"
  [ -n "$(first_error "$log")" ] && why=$(first_error "$log")
  rm -f "$log"
  mkdir -p "$(dirname "$wine32_note")"
  echo "$why" >"$wine32_note"
  echo "install-deps: the 32-bit Wine could not be installed: $why" >&2
  return 1
}

mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing32 < <(missing_of "${packages32[@]}")
if [ ${#missing32[@]} -eq 0 ]; then rm -f "$wine32_note"; fi

if [ ${#missing[@]} -gt 0 ] || [ ${#missing32[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]} ${missing32[*]}" >&2
  if [ ${#missing32[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  update_indexes
  if [ ${#missing[@]} -gt 0 ]; then
    log=$(mktemp)
    if ! apt_get install "${missing[@]}" >"$log" 2>&1; then
      cat "$log" >&2
      echo "install-deps: the packages the build needs could not be installed: $(first_error "$log")" >&2
      exit 1
    fi
    rm -f "$log"
  fi
  if [ ${#missing32[@]} -gt 0 ] && install_wine32; then rm -f "$wine32_note"; fi
fi

# Wine's ANSI code page follows the locale: zh_CN.UTF-8 gives code page 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  as_root sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
