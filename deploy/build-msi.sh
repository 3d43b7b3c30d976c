#!/usr/bin/env bash
# Builds the x86 and x64 packages of the 32-bit applet from velmo.wxs:
#   build-msi.sh VELMO_EXE OUTPUT_DIR [VERSION]
# Name, publisher and version come from res/version.h; VERSION (a.b.c)
# overrides the version, as the upgrade test does. Every date in them is
# SOURCE_DATE_EPOCH, by default the commit's time: two builds of one commit
# give the same bytes. With a certificate named as sign.sh says, the exe is
# signed before it is packaged, and then both packages.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ -f "$1" ] || { echo "build-msi: $1 is missing (build the win32 preset first)" >&2; exit 1; }
command -v wixl >/dev/null && command -v msibuild >/dev/null ||
  { echo "build-msi: wixl and msitools are missing (scripts/install-deps.sh)" >&2; exit 1; }
exe=$(realpath "$1")
out=$(mkdir -p "$2" && cd "$2" && pwd)
version_header=$here/../res/version.h
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct)}

# The value of one #define in version.h, without quotes.
define() {
  local value
  value=$(sed -n "s/^#define $1[[:space:]]\+//p" "$version_header" | tr -d '"')
  [ -n "$value" ] || { echo "build-msi: $1 missing from $version_header" >&2; exit 1; }
  printf '%s' "$value"
}

product_name=$(define VELMO_PRODUCT_NAME)
# The Start menu names the applet as its window's caption does.
shortcut_name=$(sed -n 's/^#define TEXT_WINDOW_CAPTION "\(.*\)"$/\1/p' "$here/../res/lang/en-US.rc")
[ -n "$shortcut_name" ] || { echo "build-msi: no window caption in res/lang/en-US.rc" >&2; exit 1; }
publisher=$(define VELMO_PUBLISHER)
major=$(define VELMO_VERSION_MAJOR)
minor=$(define VELMO_VERSION_MINOR)
patch=$(define VELMO_VERSION_PATCH)
# Windows Installer compares only three fields, so the fourth (build) is left out.
version=${3:-$major.$minor.$patch}

# A stable code per version and architecture: rebuilding a version gives the
# same product, a new version a new one (a major upgrade).
product_code() {
  local hash
  hash=$(printf 'velmo/%s/%s' "$version" "$1" | md5sum | tr a-f A-F)
  printf '{%s-%s-%s-%s-%s}' "${hash:0:8}" "${hash:8:4}" "${hash:12:4}" "${hash:16:4}" "${hash:20:12}"
}

# msiinfo ends its lines with CR LF.
export_table() { msiinfo export "$1" "$2" | tr -d '\r'; }

# wixl 0.101 has neither component conditions nor Permanent="yes", so they are
# set here by the naming rule in velmo.wxs: every Machine* component stays
# after uninstall, and Machine.PROPERTY is installed only when PROPERTY is
# given (and is made secure so that it reaches the elevated install).
keep_machine_settings() {
  local msi=$1 component attributes property secure permanent=16
  secure=$(export_table "$msi" Property | awk -F'\t' '$1 == "SecureCustomProperties" { print $2 }')
  while IFS=$'\t' read -r component attributes; do
    msibuild "$msi" -q "UPDATE \`Component\` SET \`Attributes\` = $((attributes | permanent)) WHERE \`Component\` = '$component'"
    [[ $component == Machine.* ]] || continue
    property=${component#Machine.}
    msibuild "$msi" -q "UPDATE \`Component\` SET \`Condition\` = '$property <> \"\"' WHERE \`Component\` = '$component'"
    secure="$secure;$property"
  done < <(export_table "$msi" Component | awk -F'\t' 'NR > 3 && $1 ~ /^Machine/ { print $1 "\t" $4 }')
  msibuild "$msi" -q "UPDATE \`Property\` SET \`Value\` = '$secure' WHERE \`Property\` = 'SecureCustomProperties'"
}

# The payload as the cabinet stores it, its date included. wixl looks for
# File sources relative to the working directory only.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/velmo.exe"
# The notices of what the link took from the toolchain, made beside the exe.
cp "$(dirname "$exe")/THIRD-PARTY-NOTICES.txt" "$stage/"
"$here/sign.sh" "$stage/velmo.exe"
chmod 0644 "$stage"/*
touch -d "@$epoch" "$stage"/*

for arch in x86 x64; do
  msi=$out/velmo-$version-$arch.msi
  rm -f "$msi"
  (cd "$stage" &&
   wixl --arch "$arch" --output "$msi" -I "$here" \
        -D Arch="$arch" -D ProductCode="$(product_code "$arch")" -D Version="$version" \
        -D ProductName="$product_name" -D Publisher="$publisher" \
        -D Exe=velmo.exe -D ShortcutName="$shortcut_name" "$here/velmo.wxs")
  keep_machine_settings "$msi"
  python3 "$here/settle-msi.py" "$msi" "$epoch" "$version"
  "$here/sign.sh" "$msi"
  echo "$msi"
done
