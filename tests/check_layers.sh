#!/bin/sh
# Checks that the code is built in layers: README's Layout table lists the folders of src/ from the
# top down, and every file of a folder includes only its own folder's headers and those of folders
# listed below it. A folder missing from the table fails too: it would belong to no layer.
root=$1
layers=$(sed -n 's/^| `src\/\([a-z_]*\)` |.*/\1/p' "$root/README.md")
status=0
for dir in "$root"/src/*/; do
    folder=$(basename "$dir")
    echo "$layers" | grep -qx "$folder" || { echo "src/$folder is not in README's Layout table"; status=1; }
done
below=$layers
for folder in $layers; do
    for file in "$root/src/$folder"/*; do
        for used in $(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' "$file" | sort -u); do
            [ -d "$root/src/$used" ] || continue # not ours (the resource numbers)
            echo "$below" | grep -qx "$used" ||
                { echo "src/$folder/$(basename "$file") uses src/$used, which is not below it"; status=1; }
        done
    done
    below=$(echo "$below" | sed 1d)
done
[ $status = 0 ] && echo "layers, top down: $(echo $layers)"
exit $status
