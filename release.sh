#!/bin/sh
# Builds every download of this version into dist/ and writes
# dist/SHA256SUMS over them. Each download is one step below; a new kind of
# download is one more function and one more name in STEPS.
#   ./release.sh
. "$(dirname "$0")/scripts/common.sh"

PACKAGES="$PACKAGES dpkg-dev lintian appstream optipng xz-utils zip"
install_packages
version=$(tripath_version)
dist=$ROOT/dist
mkdir -p "$dist"
# Downloads of earlier runs (any version) go, so SHA256SUMS lists this one.
rm -f "$dist"/tripath[-_]* "$dist"/openal-soft_* "$dist/SHA256SUMS"

# Windows: the zip, the installer, the debug archive and OpenAL Soft's source.
step_windows() {
  "$ROOT/build-windows.sh"
}

# Debian 12: the package and its debug archive.
step_debian() {
  "$ROOT/scripts/build-deb.sh" "$dist"
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

STEPS="windows debian source"
for step in $STEPS; do
  echo "=== release: $step"
  "step_$step"
done

cd "$dist"
files=$(ls tripath[-_]* openal-soft_*)
sha256sum $files >SHA256SUMS
echo "=== release $version in $dist:"
for file in $files; do
  printf '  %-48s %6d KB\n' "$file" "$(du -k "$file" | cut -f1)"
done
zip_kb=$(du -k "tripath-$version-windows-x86_64.zip" | cut -f1)
[ "$zip_kb" -le 6144 ] || echo "release: the Windows zip is $zip_kb KB, over its 6 MB goal" >&2
