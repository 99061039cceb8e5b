#!/usr/bin/env bash
# The README's layout table against the tree: each product folder's row names
# every module in the folder (a module is a .h, .cpp or .c file's base name),
# and names no module that is not there.
#
#   tests/support/check_readme_layout.sh ROOT
set -uo pipefail
root=${1:?usage: check_readme_layout.sh ROOT}
readme=$root/README.md
status=0

for folder in discovery discovery/bind_helper devicelist finder/core finder/cli finder/window; do
  row=$(grep -E "^\| \`$folder/\` \|" "$readme")
  if [ -z "$row" ]; then
    echo "README.md: no layout row for $folder/"
    status=1
    continue
  fi
  named=$(grep -oE '`[a-z0-9_]+`' <<<"$row" | tr -d '`' | sort -u)
  present=$(find "$root/$folder" -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) \
              -printf '%f\n' | sed -E 's/\.(h|cpp|c)$//' | sort -u)
  for module in $(comm -13 <(echo "$named") <(echo "$present")); do
    echo "README.md: $folder/$module is not in the layout table"
    status=1
  done
  for module in $(comm -23 <(echo "$named") <(echo "$present")); do
    echo "README.md: the layout table names $folder/$module, which is not there"
    status=1
  done
done
exit $status
