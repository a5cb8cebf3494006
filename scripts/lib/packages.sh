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
  "${sudo[@]}" apt-get update
  "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}
