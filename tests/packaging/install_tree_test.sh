#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks the tree: exactly the expected files, a valid
# desktop entry and AppStream file that agree with each other and with the icon, manual pages that
# render cleanly and document every option, and programs that run from where they were installed.
#   install_tree_test.sh BUILD_DIR SOURCE_DIR VERSION HAS_DESKTOP_PROGRAM(0|1)
set -uo pipefail

build=$1 source=$2 version=$3 gui=$4
app_id=com.example.Quillora
samples=(jis_mail.txt euc_halfwidth.txt uuencoded_message.txt base64_mail.eml utf16le_bom.txt
         multipart_mail.eml windows_jis_mail.eml)
root=$(mktemp -d "${TMPDIR:-/tmp}/quillora-install-XXXXXX")
trap 'rm -rf "$root"' EXIT
usr=$root/usr
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

need() {
  command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (Debian package $2)" >&2; exit 1; }
}
need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need man man-db

if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$root.log" 2>&1; then
  cat "$root.log" >&2
  rm -f "$root.log"
  echo "FAIL: cmake --install" >&2
  exit 1
fi
rm -f "$root.log"

# --- exactly these files, with these modes ------------------------------------------------------
expected=$(
  {
    echo "755 bin/quillora-convert"
    echo "644 share/man/man1/quillora-convert.1.gz"
    for sample in "${samples[@]}"; do
      echo "644 share/doc/quillora/examples/$sample"
    done
    if [ "$gui" = 1 ]; then
      echo "755 bin/quillora"
      echo "644 share/man/man1/quillora.1.gz"
      echo "644 share/applications/$app_id.desktop"
      echo "644 share/metainfo/$app_id.metainfo.xml"
      echo "644 share/icons/hicolor/scalable/apps/$app_id.svg"
      for size in 16 32 48 64 128 256; do
        echo "644 share/icons/hicolor/${size}x$size/apps/$app_id.png"
      done
    fi
  } | sort -k2
)
installed=$(cd "$usr" && find . \( -type f -o -type l \) -printf '%m %P\n' | sort -k2)
if [ "$installed" != "$expected" ]; then
  fail "installed files differ from the expected list (< expected, > installed):"
  diff <(echo "$expected") <(echo "$installed") >&2
fi
if [ -n "$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)" ]; then
  fail "files installed outside the prefix: $(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)"
fi

for sample in "${samples[@]}"; do
  cmp -s "$source/samples/$sample" "$usr/share/doc/quillora/examples/$sample" ||
    fail "installed sample $sample differs from the source"
done

# --- the command-line program, run from the install tree ----------------------------------------
convert=$usr/bin/quillora-convert
[ "$("$convert" --version)" = "quillora-convert $version" ] ||
  fail "quillora-convert --version says '$("$convert" --version)', not version $version"
"$convert" --to utf-8 1 "$usr/share/doc/quillora/examples/jis_mail.txt" | grep -q '太郎さん' ||
  fail "installed quillora-convert does not decode the installed JIS sample"

# --- manual pages ---------------------------------------------------------------------------------
check_man_page() {
  local program=$1 page=$usr/share/man/man1/$1.1.gz
  [ -f "$page" ] || return
  local warnings
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$program.1 renders with warnings: $warnings"
  zcat "$page" | grep -q "^\.TH .* \"Quillora $version\"" ||
    fail "$program.1 does not name version $version in its .TH line"
  # Every option the program's own help lists is described in its manual page.
  local source_text options option
  source_text=$(zcat "$page" | sed 's/\\-/-/g')
  options=$("$usr/bin/$program" --help | grep -oE '(^|[[ ])--?[a-z][a-z-]*' | tr -d '[ ' | sort -u)
  [ -n "$options" ] || fail "$program --help lists no option"
  for option in $options; do
    grep -qF -- "$option" <<<"$source_text" || fail "$program.1 does not describe $option"
  done
}
check_man_page quillora-convert

if [ "$gui" = 1 ]; then
  [ "$("$usr/bin/quillora" --version)" = "quillora $version" ] ||
    fail "quillora --version says '$("$usr/bin/quillora" --version)', not version $version"
  check_man_page quillora

  # --- desktop entry ------------------------------------------------------------------------------
  desktop=$usr/share/applications/$app_id.desktop
  output=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $output"
  [ -z "$output" ] || fail "desktop-file-validate has remarks: $output"

  key() { sed -n "s/^$1=//p" "$desktop"; }
  read -r exec_program exec_arguments <<<"$(key Exec)"
  [ -x "$usr/bin/$exec_program" ] || fail "Exec names '$exec_program', which is not installed in bin"
  [[ " $exec_arguments " =~ \ %[fFuU]\  ]] ||
    fail "Exec=$(key Exec) does not pass the files it is given"
  for type in text/plain message/rfc822; do
    [[ ";$(key MimeType)" == *";$type;"* ]] || fail "MimeType does not list $type"
  done
  icon=$(key Icon)
  [ -f "$usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "Icon=$icon has no scalable icon in the hicolor theme"

  # --- icon: each PNG is the size its folder says ---------------------------------------------------
  for png in "$usr"/share/icons/hicolor/*x*/apps/"$icon".png; do
    size=${png#"$usr"/share/icons/hicolor/}
    size=${size%%/*}
    read -r -a header < <(od -An -tu1 -N24 -w24 "$png")
    signature="${header[*]:0:8}"
    width=$(((header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19]))
    height=$(((header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23]))
    [ "$signature" = "137 80 78 71 13 10 26 10" ] || fail "$png is not a PNG file"
    [ "${width}x$height" = "$size" ] || fail "$png is ${width}x$height, not $size"
  done
  grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/$icon.svg" ||
    fail "the scalable icon is not an SVG file"

  # --- AppStream ------------------------------------------------------------------------------------
  metainfo=$usr/share/metainfo/$app_id.metainfo.xml
  output=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) ||
    fail "appstreamcli validate: $output"
  grep -q "<id>$app_id</id>" "$metainfo" || fail "the AppStream id is not $app_id"
  grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
    fail "the AppStream launchable does not name the installed desktop entry"
  grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the AppStream releases do not list version $version"
  grep -q '<content_rating type="oars-1.1"' "$metainfo" || fail "the AppStream file has no content rating"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install tree OK"
