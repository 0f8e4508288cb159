# Sourced by the end-to-end scripts.
# The names the copies must have: sequence number, then the local date and
# time of the earliest of the file's times, then its own name.
#   expected_names FOLDER [wine]
# Files with equal stamps come in the order that the program's exchange sort
# leaves them, which depends on the order in which the folder is listed: the
# directory's own order (ls -U), or under Wine the order NTFS keeps (by the
# upper-cased name, then the name).
expected_names() {
  local file name birth access write stamp
  for file in $(listed_names "$1" "${2:-}"); do
    read -r birth access write < <(stat -c '%W %X %Y' "$1/$file")
    stamp=$access
    [ "$write" -lt "$stamp" ] && stamp=$write
    [ "$birth" -gt 0 ] && [ "$birth" -lt "$stamp" ] && stamp=$birth
    echo "$stamp $file"
  done | awk '
    { stamp[NR] = $1; name[NR] = $2 }
    END {
      # Every entry against every later one, exchanged when the first is later.
      for (i = 1; i <= NR; i++) for (j = i + 1; j <= NR; j++) if (stamp[i] > stamp[j]) {
        t = stamp[i]; stamp[i] = stamp[j]; stamp[j] = t
        t = name[i]; name[i] = name[j]; name[j] = t
      }
      for (i = 1; i <= NR; i++) print stamp[i], name[i]
    }' | {
    local sequence=0
    while read -r stamp name; do
      printf '%05d_%s_%s\n' "$sequence" "$(date -d "@$stamp" +%Y_%m_%d_%H_%M)" "$name"
      sequence=$((sequence + 1))
    done
  }
}

# The folder's names (none with blanks) in the order the program sees them.
listed_names() {
  if [ "$2" = wine ]; then
    local name
    for name in $(ls -A "$1"); do printf '%s\t%s\n' "${name^^}" "$name"; done | LC_ALL=C sort | cut -f2
  else
    ls -AU "$1"
  fi
}
