#!/usr/bin/env bash
# Whole-process comparison of quillora-convert with nkf, iconv, base64 and uudecode, and with cat
# as the floor: every command reads the same generated input and writes its output to a file.
#
#   bench/compare.sh [--size MB] [--reps N] [--style japanese|ascii] [--build DIR] [--work DIR]
#                    [--batch] [--instructions]
#
# Prints one row per conversion with the median wall-clock times, the ratio fastest peer / ours
# (above 1: ours is faster) and ours / cat, and each peer's ratio where a row has several, then as
# its last line "worst ratio X", the smallest peer / ours ratio of all rows. The last row reads a
# whole multipart mail: quillora-convert mail against Python's email package (bench/mail_text.py,
# headers and every text part) and nkf -m. --batch adds the desktop program's batch run (quillora IN OUT)
# on the JIS input against quillora-convert -o, which also replaces its output file whole and
# flushes it to the disk, with the batch run's peak memory. --instructions counts the instructions each command
# executes instead of timing it (valgrind; slow, but the same on a busy machine as on an idle one).
set -euo pipefail
cd "$(dirname "$0")/.."

size=64
reps=11
style=japanese
build=build/bench
work=
batch=0
instructions=0
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --reps) reps=$2; shift 2 ;;
    --style) style=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --batch) batch=1; shift ;;
    --instructions) instructions=1; shift ;;
    *) sed -n '2,12p' "$0" >&2; exit 2 ;;
  esac
done
work=${work:-$build/compare-$style-$size}

# The peers, from Debian's own packages.
scripts/run.sh deps nkf sharutils libc-bin coreutils time
[ "$instructions" -eq 1 ] && scripts/run.sh deps valgrind

# A release build with the benchmarks.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORA_BUILD_BENCH=ON \
  -DQUILLORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillora-convert quillora-bench-inputs >/dev/null
[ "$batch" -eq 1 ] && cmake --build "$build" --target quillora >/dev/null
ours=$(realpath "$build/src/quillora-convert")
mail_text=$(realpath bench/mail_text.py)
python=$(command -v /usr/bin/python3 || command -v python3)
[ "$batch" -eq 1 ] && quillora=$(realpath "$build/src/quillora")

mkdir -p "$work"
work=$(realpath "$work")
if [ ! -f "$work/.done" ] || [ ! -f "$work/mail.eml" ]; then
  echo "Generating $size MB inputs ($style) in $work" >&2
  "$build/bench/quillora-bench-inputs" "$work" "$size" "$style"
  touch "$work/.done"
fi
cd "$work"
out=$work/out
trap 'rm -f "$out".*' EXIT

# Rows: title, ours (mode input), then the peers; $OUT is each command's output file.
# Each command is a shell snippet run by bash -c, the same way for every command.
declare -a titles inputs modes peers
add_row() { titles+=("$1"); modes+=("$2"); inputs+=("$3"); peers+=("$4"); }
add_row "JIS -> Shift_JIS"    1  jis.txt       'nkf -J -s jis.txt > $OUT|iconv -f ISO-2022-JP -t CP932 jis.txt > $OUT'
add_row "EUC-JP -> Shift_JIS" 8  euc.txt       'nkf -E -s euc.txt > $OUT|iconv -f EUC-JP -t CP932 euc.txt > $OUT'
add_row "UTF-16 -> Shift_JIS" 11 utf16.txt     'iconv -f UTF-16 -t CP932 utf16.txt > $OUT'
add_row "MIME Base64"         9  base64.eml    'base64 -d base64_body.txt > $OUT'
add_row "uuencode"            10 uuencoded.txt 'uudecode -o $OUT uuencoded.txt'
add_row "whole mail"          mail mail.eml    "\"$python\" \"$mail_text\" mail.eml > \$OUT|nkf -m -s mail.eml > \$OUT"

# Seconds taken by one run of a snippet, from bash's microsecond clock.
time_once() {
  local start end
  start=$EPOCHREALTIME
  OUT=$2 bash -c "$1"
  end=$EPOCHREALTIME
  echo "$start $end" | awk '{printf "%.6f\n", $2 - $1}'
}

median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

# Instructions one run of a snippet executes, in millions.
count_once() {
  OUT=$2 valgrind --tool=cachegrind --cache-sim=no --trace-children=yes \
    --cachegrind-out-file=/dev/null bash -c "exec ${1}" 2>&1 >/dev/null |
    awk '/I *refs:/ {gsub(/,/, "", $NF); total += $NF} END {printf "%.1f\n", total / 1e6}'
}

# Runs the snippets of a row in turn, rotating their order each repetition so that none always
# follows the same neighbour; prints the median of each, in the order given.
measure() {
  if [ "$instructions" -eq 1 ]; then
    local cmd
    for cmd in "$@"; do count_once "$cmd" "$out.0"; done
    return
  fi
  local n=$# rep k j
  local -a cmds=("$@")
  for ((k = 0; k < n; k++)); do
    : >"$out.t$k"
    OUT=$out.$k bash -c "${cmds[$k]}"  # warm-up: page cache, dynamic loader
  done
  for ((rep = 0; rep < reps; rep++)); do
    for ((j = 0; j < n; j++)); do
      k=$(((j + rep) % n))
      time_once "${cmds[$k]}" "$out.$k" >>"$out.t$k"
    done
  done
  for ((k = 0; k < n; k++)); do median <"$out.t$k"; done
}

if [ "$instructions" -eq 1 ]; then
  echo "quillora-convert against its peers: $size MB $style inputs, millions of instructions"
else
  echo "quillora-convert against its peers: $size MB $style inputs, median of $reps runs"
fi
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-22s %9s %9s  %-40s %7s %10s %9s\n' conversion ours cat "fastest peer" peer "peer/ours" "ours/cat"
worst=
for ((r = 0; r < ${#titles[@]}; r++)); do
  IFS='|' read -r -a row_peers <<<"${peers[$r]}"
  cmds=("\"$ours\" ${modes[$r]} ${inputs[$r]} > \$OUT" "cat ${inputs[$r]} > \$OUT" "${row_peers[@]}")
  mapfile -t medians < <(measure "${cmds[@]}")
  ours_s=${medians[0]}
  cat_s=${medians[1]}
  best=
  best_name=
  for ((p = 2; p < ${#cmds[@]}; p++)); do
    if [ -z "$best" ] || awk -v a="${medians[$p]}" -v b="$best" 'BEGIN {exit !(a < b)}'; then
      best=${medians[$p]}
      best_name=$(echo "${cmds[$p]}" | sed 's/ *[<>].*//; s/ -o \$OUT//; s/"//g; s|[^ ]*/||g')
    fi
  done
  ratio=$(awk -v p="$best" -v o="$ours_s" 'BEGIN {printf "%.2f", p / o}')
  floor=$(awk -v o="$ours_s" -v c="$cat_s" 'BEGIN {printf "%.2f", o / c}')
  printf '%-22s %9.3f %9.3f  %-40s %7.3f %10s %9s\n' "${titles[$r]}" "$ours_s" "$cat_s" \
    "$best_name" "$best" "$ratio" "$floor"
  if [ ${#cmds[@]} -gt 3 ]; then
    each=
    for ((p = 2; p < ${#cmds[@]}; p++)); do
      name=$(echo "${cmds[$p]}" | sed 's/ *[<>].*//; s/ -o \$OUT//; s/"//g; s|[^ ]*/||g')
      each="$each  $name $(awk -v p="${medians[$p]}" -v o="$ours_s" 'BEGIN {printf "%.2f", p / o}')"
    done
    echo "  each peer / ours:$each"
  fi
  if [ -z "$worst" ] || awk -v a="$ratio" -v b="$worst" 'BEGIN {exit !(a < b)}'; then
    worst=$ratio
  fi
done

# The outputs agree where the peers decode the same characters.
check() {
  if cmp -s "$1" "$2"; then echo "  same bytes: $3"; else echo "  DIFFERENT: $3"; fi
}
echo "outputs:"
"$ours" 1 jis.txt >"$out.a"; iconv -f ISO-2022-JP -t CP932 jis.txt >"$out.b"
check "$out.a" "$out.b" "quillora-convert 1 and iconv on jis.txt"
"$ours" 8 euc.txt >"$out.a"; iconv -f EUC-JP -t CP932 euc.txt >"$out.b"
check "$out.a" "$out.b" "quillora-convert 8 and iconv on euc.txt"
"$ours" 11 utf16.txt >"$out.a"; iconv -f UTF-16 -t CP932 utf16.txt >"$out.b"
check "$out.a" "$out.b" "quillora-convert 11 and iconv on utf16.txt"
"$ours" 10 uuencoded.txt >"$out.a"; uudecode -o "$out.b" uuencoded.txt
check "$out.a" "$out.b" "quillora-convert 10 and uudecode on uuencoded.txt"
"$ours" 9 base64.eml | tail -c "$(base64 -d base64_body.txt | wc -c)" >"$out.a"
base64 -d base64_body.txt >"$out.b"
check "$out.a" "$out.b" "decoded body of quillora-convert 9 and base64 -d"

if [ "$batch" -eq 1 ]; then
  # Settings and registry of its own: no settings file means decode type 0, JIS to Shift_JIS.
  export QT_QPA_PLATFORM=offscreen QUILLORA_SETTINGS=$work/no-settings.ini
  export QUILLORA_REGISTRY=$work/registry.db
  rm -f "$QUILLORA_SETTINGS"
  # Both replace the output file whole and flush it to the disk, as the batch run does.
  echo "batch run (default decode type 0, JIS -> Shift_JIS) against quillora-convert -o:"
  mapfile -t medians < <(measure "\"$quillora\" jis.txt \$OUT" "\"$ours\" 1 jis.txt -o \$OUT")
  unit=s
  [ "$instructions" -eq 1 ] && unit="M instructions"
  printf '  quillora IN OUT %.3f %s, quillora-convert -o %.3f %s, ratio %.2f\n' "${medians[0]}" "$unit" \
    "${medians[1]}" "$unit" "$(awk -v a="${medians[0]}" -v b="${medians[1]}" 'BEGIN {print a / b}')"
  /usr/bin/time -v "$quillora" jis.txt "$out.m" 2>"$out.v" >/dev/null || true
  peak=$(awk -F: '/Maximum resident/ {gsub(/ /, "", $2); print $2}' "$out.v")
  input=$(stat -c %s jis.txt)
  printf '  peak memory %d MB for a %d MB input (limit 4 x input + 100 MB = %d MB)\n' \
    $((peak / 1024)) $((input >> 20)) $((4 * (input >> 20) + 100))
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "worst ratio $worst"
