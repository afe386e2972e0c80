#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset) and runs each for SECONDS, two at a time by
# default, from seed corpora made now from samples/. Any finding fails the run; its input is kept
# in build/fuzz/findings/TARGET/.
#   fuzz/run.sh SECONDS [TARGET...]
# QUILLORA_FUZZ_JOBS sets how many targets run at once (default: the number of processors).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
jobs=${QUILLORA_FUZZ_JOBS:-$(nproc)}
build=build/fuzz

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target fuzz_targets -- -j"$jobs" >/dev/null

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(cd fuzz && ls ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||')
fi

# Seeds: each sample behind the choice bytes its target reads first.
seed() {  # seed TARGET NAME PREFIX-AS-PRINTF [FILE]
  local dir=$build/seeds/$1
  mkdir -p "$dir"
  { printf "$3"; [ -z "${4:-}" ] || cat "$4"; } >"$dir/$2"
}
rm -rf "$build/seeds"
settings=$build/seeds.ini
printf '[View]\r\nLeft=500\r\nTop=500\r\nWidth=7830\r\nHeight=5220\r\n[Option]\r\nLastOpenFolder=/home/mail\r\nSelectFont="MS UI Gothic"\r\nSelectFontsize=10\r\nDefaultDecodeType=0\r\n; comment\n[view]\nleft=1\r\n' >"$settings"
rich=$build/seeds.rtf
printf '{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 MS UI Gothic;}{\\f1 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs20 Hello \\b bold\\b0 \\i italic\\i0 \\ul under\\ulnone\\par\\cf1\\f1\\fs28 \\u26085?\\'"'"'93\\'"'"'fa\\line end\\par{\\*\\generator x;}}' >"$rich"
for sample in samples/*; do
  name=$(basename "$sample")
  for target in jis_to_sjis_fuzz jis_to_euc_fuzz hankaku_to_zenkaku_fuzz euc_hankaku_kana_fuzz \
                sjis_to_euc_fuzz euc_to_sjis_fuzz rtf_reader_fuzz; do
    seed "$target" "$name" '' "$sample"
  done
  for choice in 0 1; do
    for target in sjis_to_jis_fuzz euc_to_jis_fuzz codec_encode_fuzz; do
      seed "$target" "$choice-$name" "\\x0$choice" "$sample"
    done
  done
  for choice in 0 1 2; do
    seed base64_fuzz "$choice-$name" "\\x0$choice" "$sample"
    seed uudecode_fuzz "$choice-$name" "\\x0$choice" "$sample"
  done
  for mode in $(seq 0 15); do
    seed kanji_conv_fuzz "$mode-$name" "\\x$(printf %02x "$mode")\\x00" "$sample"
  done
  seed codec_decode_fuzz "$name" '\x00' "$sample"
  seed codec_decode_fuzz "cut-$name" '\x03\x10\x41\x81' "$sample"
done
for mail in samples/* tests/mail/fixtures/*.eml; do
  name=$(basename "$mail")
  seed mail_reader_fuzz "$name" '' "$mail"
  for choice in 0 1 2 3; do
    seed detection_fuzz "$choice-$name" "\\x0$choice" "$mail"
  done
done
seed ini_file_fuzz settings '\x00\x56\x00\x4c\x02\x61\x62\x00\x4f\x00\x53' "$settings"
seed ini_file_fuzz bom '\x00\x56\x00\x4c\x02\x61\x62\x00\x4f\x00\x53\xef\xbb\xbf' "$settings"
seed rtf_reader_fuzz document '' "$rich"
seed registry_value_fuzz structured '\x00\x00\x00\x00\x00\x00\x00\x07\x01\x00\x01\x01\x03\x10\x06\x04\x10\x27\x00\x00'
seed registry_value_fuzz read-only '\x00\x01\x00\x00\x00\x00\x00\x07\x01\x01\x01\x01\x03\x10\x06\x02\x10\x27'
seed registry_value_fuzz damaged '\x00\x00\x01\x04\x00\x10\x00\x00\x20\x01\x07'
seed registry_value_fuzz garbage '\x00\x00\x02SQLite format 3'

run() {
  local target=$1
  local corpus=$build/corpus/$target findings=$build/findings/$target log=$build/logs/$target.log
  mkdir -p "$corpus" "$findings"
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
      -max_len=16384 -print_final_stats=1 -artifact_prefix="$findings/" \
      "$corpus" "$build/seeds/$target" >"$log" 2>&1; then
    echo "$target: $(grep -o 'number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs," \
         "no finding"
  else
    echo "$target: FINDING (log: $log; input in $findings/)"
    tail -n 40 "$log"
    touch "$build/logs/failed"
  fi
}

rm -rf "$build/logs"
mkdir -p "$build/logs"
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n || true
  done
  run "$target" &
done
wait
[ ! -e "$build/logs/failed" ]
