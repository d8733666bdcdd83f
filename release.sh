#!/bin/sh
# Builds every download of this version into dist/ and writes
# dist/SHA256SUMS over them. Each download is one step below; a new kind of
# download is one more function and one more name in STEPS.
#   ./release.sh
. "$(dirname "$0")/scripts/common.sh"

# Each step's script installs what it needs; this one needs only git.
install_packages
version=$(tripath_version)
dist=$ROOT/dist
mkdir -p "$dist"
# Downloads of earlier runs (any version) go, so SHA256SUMS lists this one.
# Only files: the browser version's folder, dist/tripath-web/, stays.
find "$dist" -maxdepth 1 -type f \( -name 'tripath[-_]*' -o -name 'openal-soft_*' \
  -o -name SHA256SUMS \) -delete

# Windows: the zip, the installer, the debug archive and OpenAL Soft's source.
step_windows() {
  "$ROOT/build-windows.sh"
}

# Debian 12: the package and its debug archive.
step_debian() {
  "$ROOT/scripts/build-deb.sh" "$dist"
}

# The browser version: its folder for a web host, zipped.
step_web() {
  "$ROOT/build-web.sh"
}

# The source of this commit, as a tarball (what is committed, nothing else).
step_source() {
  if [ -n "$(git -C "$ROOT" status --porcelain --untracked-files=no)" ]; then
    echo "release: uncommitted changes are not in the source tarball" >&2
  fi
  git -C "$ROOT" archive --format=tar.gz --prefix="tripath-$version/" \
    -o "$dist/tripath-$version.tar.gz" HEAD
  echo "Wrote $dist/tripath-$version.tar.gz"
}

STEPS="windows debian web source"
for step in $STEPS; do
  echo "=== release: $step"
  "step_$step"
done

cd "$dist"
files=$(find . -maxdepth 1 -type f \( -name 'tripath[-_]*' -o -name 'openal-soft_*' \) |
  sed 's|^\./||' | sort)
sha256sum $files >SHA256SUMS
echo "=== release $version in $dist:"
for file in $files; do
  printf '  %-48s %6d KB\n' "$file" "$(du -k "$file" | cut -f1)"
done
zip_kb=$(du -k "tripath-$version-windows-x86_64.zip" | cut -f1)
[ "$zip_kb" -le 6144 ] || echo "release: the Windows zip is $zip_kb KB, over its 6 MB goal" >&2
