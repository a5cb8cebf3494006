# Debian's sources of the libraries a cross build compiles itself, shared by
# scripts/web and scripts/windows. The caller sets `deps` (the cache: sources
# go to $deps/src), `sudo` (empty as root) and `log_tag` (its messages' prefix).
ensure_sources() {
  # A deb-src entry for the mirror the machine's own entry names.
  if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
    local uri suite
    uri=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    [[ -n "$uri" ]] || uri=$(awk '$1=="deb"{print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
    [[ -n "$uri" ]] || uri=http://deb.debian.org/debian
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "$log_tag: adding a deb-src entry for $uri $suite" >&2
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$uri" "$suite" | "${sudo[@]}" tee /etc/apt/sources.list.d/zintavel-src.sources >/dev/null
    "${sudo[@]}" apt-get update
  fi
}

# Unpacks Debian's source of $1 into $deps/src/$1 (orig tarball plus Debian's
# patches). apt-get source may stop on a missing upstream signature after the
# tarballs are in, so the unpacking is done here by hand.
fetch_source() {
  local pkg=$1 dir=$deps/src/$1
  [[ -f "$dir/.unpacked" ]] && return 0
  ensure_sources
  local dl=$deps/src/download-$pkg
  mkdir -p "$dl"
  (cd "$dl" && { apt-get source --download-only "$pkg" >/dev/null 2>&1 || true; })
  local orig debian
  orig=$(ls "$dl"/*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -1)
  debian=$(ls "$dl"/*.debian.tar.* 2>/dev/null | head -1)
  [[ -n "$orig" && -n "$debian" ]] || { echo "$log_tag: could not fetch the source of $pkg" >&2; exit 1; }
  rm -rf "$dir" && mkdir -p "$dir"
  tar -xf "$orig" -C "$dir" --strip-components=1
  tar -xf "$debian" -C "$dir"
  if [[ -f "$dir/debian/patches/series" ]]; then
    while read -r p _; do
      [[ -z "$p" || "$p" == \#* ]] && continue
      patch -d "$dir" -p1 -s -N <"$dir/debian/patches/$p" || { echo "$log_tag: patch $p of $pkg failed" >&2; exit 1; }
    done <"$dir/debian/patches/series"
  fi
  touch "$dir/.unpacked"
}

