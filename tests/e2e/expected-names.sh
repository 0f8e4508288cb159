# Sourced by the end-to-end scripts.
# The names the copies must have: sequence number, then the local date and
# time of the earliest of the file's times, then its own name.
expected_names() {
  local file times birth access write stamp
  for file in "$1"/*; do
    read -r birth access write < <(stat -c '%W %X %Y' "$file")
    stamp=$access
    [ "$write" -lt "$stamp" ] && stamp=$write
    [ "$birth" -gt 0 ] && [ "$birth" -lt "$stamp" ] && stamp=$birth
    echo "$stamp $(basename "$file")"
  done | sort -n -k1,1 | {
    local sequence=0 name
    while read -r stamp name; do
      printf '%05d_%s_%s\n' "$sequence" "$(date -d "@$stamp" +%Y_%m_%d_%H_%M)" "$name"
      sequence=$((sequence + 1))
    done
  }
}

