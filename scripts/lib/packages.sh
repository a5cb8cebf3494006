# Sourced by the scripts that install Debian packages (scripts/setup,
# scripts/web, scripts/windows); messages start with the caller's $tag.

# install_missing LIST [--arm64]
# Installs whatever of LIST (one package a line, # for comments) is not
# installed yet: apt-get update once, then one install, through sudo when not
# root; nothing at all when every package is there. Lines marked "arm64:" are
# the 64-bit ARM cross build's: --arm64 takes those alone (adding the arm64
# architecture to dpkg first), without it they are left out.
install_missing() {
  local list=$1 arm64=0
  case "${2:-}" in
    "") ;;
    --arm64) arm64=1 ;;
    *) echo "$tag: install_missing: unknown option '$2'" >&2; exit 2 ;;
  esac
  local line pkg missing=()
  while read -r line; do
    [[ -z "$line" || "$line" == \#* ]] && continue
    if [[ "$line" == arm64:* ]]; then
      [[ $arm64 -eq 1 ]] || continue
      pkg=$(echo "${line#arm64:}" | xargs)
    else
      [[ $arm64 -eq 0 ]] || continue
      pkg=$line
    fi
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done <"$list"
  [[ ${#missing[@]} -eq 0 ]] && return 0

  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "$tag: need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
  fi
  echo "$tag: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  if [[ $arm64 -eq 1 ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    "${sudo[@]}" dpkg --add-architecture arm64
  fi
  wait_for_package_lock
  # apt waits too, for a lock taken between our look and its start.
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
}

# The locks another package manager holds while it works (an unattended
# upgrade often does on a fresh machine); tests point this elsewhere.
package_locks=${ZINTAVEL_PACKAGE_LOCKS:-/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock}

# Waits, saying so once, while any of the locks is held, for at most ten minutes.
wait_for_package_lock() {
  local lock waited=0 limit=${ZINTAVEL_PACKAGE_LOCK_WAIT:-600}
  command -v flock >/dev/null || return 0
  while :; do
    local held=""
    for lock in $package_locks; do
      [[ -e "$lock" ]] || continue
      if ! "${sudo[@]}" flock -n "$lock" true 2>/dev/null; then held=$lock; break; fi
    done
    [[ -z "$held" ]] && return 0
    if [[ $waited -eq 0 ]]; then
      echo "$tag: another package manager is at work ($held is held, an unattended upgrade perhaps);" \
        "waiting for it, up to $((limit / 60)) minutes" >&2
    fi
    if [[ $waited -ge $limit ]]; then
      echo "$tag: $held is still held after $((limit / 60)) minutes; try again once it is free" >&2
      exit 1
    fi
    sleep 2
    waited=$((waited + 2))
  done
}
