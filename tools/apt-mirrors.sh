# The Debian mirrors this machine's apt uses, for a root made here
# (debootstrap) to install from the same places. Sourced.
#
#   find_debian_mirrors SUITE [MIRROR]
#       sets mirror (MIRROR, or this machine's source of SUITE), updates
#       (SUITE-updates when that mirror has it, else empty) and security
#       (this machine's source of SUITE-security, else empty); fails when
#       no source of SUITE is found
#   write_debian_sources FILE SUITE KEYRING
#       writes those sources to FILE in apt's deb822 form

# Prints "URI SUITE" for every enabled deb source apt reads on this machine,
# as apt itself reads them (it prints the index files it would fetch).
apt_sources() {
  apt-get --print-uris update 2>/dev/null |
    sed -n "s|^'\(.*\)/dists/\([^/]*\)/InRelease'.*|\1 \2|p"
}

find_debian_mirrors() {
  local suite=$1 sources
  mirror=${2:-}
  sources=$(apt_sources)
  if [ -z "$mirror" ]; then
    mirror=$(awk -v s="$suite" '$2 == s { print $1; exit }' <<<"$sources")
    if [ -z "$mirror" ]; then
      echo "no '$suite' source in this machine's apt sources" >&2
      return 1
    fi
  fi
  mirror=${mirror%/}
  updates=$(awk -v m="$mirror" -v s="$suite-updates" '($1 == m || $1 == m "/") && $2 == s { print s; exit }' <<<"$sources")
  security=$(awk -v s="$suite-security" '$2 == s { print $1; exit }' <<<"$sources")
  security=${security%/}
}

write_debian_sources() {
  local file=$1 suite=$2 keyring=$3
  {
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
      "$mirror" "$suite${updates:+ $updates}" "$keyring"
    if [ -n "$security" ]; then
      printf '\nTypes: deb\nURIs: %s\nSuites: %s-security\nComponents: main\nSigned-By: %s\n' \
        "$security" "$suite" "$keyring"
    fi
  } > "$file"
}
