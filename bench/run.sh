#!/usr/bin/env bash
# Benchmark runner: builds Release, generates models, times the tool on them
# (median of RUNS runs, peak memory), checks the speed and memory targets and
# compares the output with the plain reference passes.
#
# Environment: BUILD (build folder, default build-bench), RUNS (runs per
# measurement, default 5), SIZES (model sizes in lines, default
# "100000 200000 250000 1000000"), DENSE_SIZE (lines of the dense model,
# default 1000000; 0 leaves it out), REF_SIZES (sizes tried with the
# reference, default 10000 then SIZES), REF_TIMEOUT (seconds, default 60),
# JOBS (build jobs, default 2), PARTS_REFS (references of the model of real
# parts flattened with -k 16, default 70000; 0 leaves it out), SAMPLE_DIR
# (where its parts are read from, default ../shared/ldraw-sample).
# Quick run: RUNS=1 SIZES="20000 50000" PARTS_REFS=5000.
set -eu

cd "$(dirname "$0")/.."
BUILD=${BUILD:-build-bench}
RUNS=${RUNS:-5}
SIZES=${SIZES:-"100000 200000 250000 1000000"}
REF_SIZES=${REF_SIZES:-"10000 $SIZES"}
REF_TIMEOUT=${REF_TIMEOUT:-60}
DENSE_SIZE=${DENSE_SIZE:-1000000}
PARTS_REFS=${PARTS_REFS:-70000}
SAMPLE_DIR=${SAMPLE_DIR:-../shared/ldraw-sample}
JOBS=${JOBS:-2}

sorted() { tr ' ' '\n' | grep . | sort -n -u | tr '\n' ' '; }
SIZES=$(echo "$SIZES" | sorted)
REF_SIZES=$(echo "$REF_SIZES" | sorted)

# --- build ------------------------------------------------------------------
echo "== build: Release in $BUILD"
mkdir -p "$BUILD"
log="$BUILD/bench-build.log"
if ! cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DQUILLERY_WERROR=OFF >"$log" 2>&1; then
  # Without GoogleTest the reference tool cannot be built; time the tool only.
  echo "   configure failed, trying again without the tests (no reference)"
  cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DQUILLERY_WERROR=OFF -DQUILLERY_TESTS=OFF \
    >"$log" 2>&1 || { tail -20 "$log"; exit 1; }
fi
if ! cmake --build "$BUILD" -j"$JOBS" --target quillery model_gen >>"$log" 2>&1; then
  tail -30 "$log"
  exit 1
fi
QUILLERY=$BUILD/quillery
MODEL_GEN=$BUILD/bench/model_gen
REFERENCE=
if cmake --build "$BUILD" -j"$JOBS" --target quillery_reference >>"$log" 2>&1; then
  REFERENCE=$BUILD/quillery_reference
else
  echo "   quillery_reference not built: no comparison with the reference"
fi
MEASURE=
if cmake --build "$BUILD" -j"$JOBS" --target measure >>"$log" 2>&1; then
  MEASURE=$BUILD/bench/measure
elif [ ! -x /usr/bin/time ]; then
  echo "neither the measure helper nor /usr/bin/time is available" >&2
  exit 1
fi
echo "   $(git rev-parse --short HEAD 2>/dev/null || echo '?')$(git diff --quiet HEAD -- src 2>/dev/null || echo ' (src modified)'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo '?')"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# --- models -----------------------------------------------------------------
echo "== models"
for size in $(echo "$SIZES $REF_SIZES" | sorted); do
  "$MODEL_GEN" "$WORK/m$size" "$size"
  printf "   %8d lines requested: %8d lines, %6.1f MB\n" "$size" \
    "$(wc -l <"$WORK/m$size/model.dat")" \
    "$(awk -v b="$(stat -c %s "$WORK/m$size/model.dat")" 'BEGIN{print b/1e6}')"
done

if [ "$DENSE_SIZE" -gt 0 ]; then
  "$MODEL_GEN" "$WORK/d$DENSE_SIZE" "$DENSE_SIZE" dense
  printf "   %8d lines requested: %8d lines, %6.1f MB (dense)\n" "$DENSE_SIZE" \
    "$(wc -l <"$WORK/d$DENSE_SIZE/model.dat")" \
    "$(awk -v b="$(stat -c %s "$WORK/d$DENSE_SIZE/model.dat")" 'BEGIN{print b/1e6}')"
fi

# A model of real parts: PARTS_REFS references in colour 16 to the sample
# parts in turn, on a grid. The parts and their primitives are linked in,
# not copied, and flattened with -k 16 into some 160 lines a reference.
if [ "$PARTS_REFS" -gt 0 ] && [ -d "$SAMPLE_DIR/parts" ]; then
  mkdir -p "$WORK/k$PARTS_REFS"
  ln -s "$(cd "$SAMPLE_DIR" && pwd)/parts" "$WORK/k$PARTS_REFS/parts"
  ln -s "$(cd "$SAMPLE_DIR" && pwd)/p" "$WORK/k$PARTS_REFS/p"
  ls "$SAMPLE_DIR/parts" | awk -v n="$PARTS_REFS" '
    { part[count++] = $0 }
    END {
      print "0 Many parts\n0 Name: parts.dat\n0 BFC CERTIFY CCW"
      for (k = 0; k < n; k++)
        printf "1 16 %d 0 %d 1 0 0 0 1 0 0 0 1 parts/%s\n", (k % 300) * 40, int(k / 300) * 40, part[k % count]
    }' >"$WORK/k$PARTS_REFS/model.dat"
  printf "   %8d references to %d sample parts, %6.1f MB\n" "$PARTS_REFS" \
    "$(ls "$SAMPLE_DIR/parts" | wc -l)" \
    "$(awk -v b="$(stat -c %s "$WORK/k$PARTS_REFS/model.dat")" 'BEGIN{print b/1e6}')"
elif [ "$PARTS_REFS" -gt 0 ]; then
  echo "   no sample parts at $SAMPLE_DIR: the model of real parts is left out"
  PARTS_REFS=0
fi

# --- measuring ----------------------------------------------------------------
# Runs a command once; sets SECONDS_TAKEN (wall), PEAK_KB, STATUS and
# CPU_TAKEN (user + system seconds, which other programs on a busy machine
# do not inflate).
timed() {
  local result="$WORK/result" user system
  if [ -n "$MEASURE" ]; then
    "$MEASURE" "$result" "$@"
    read -r SECONDS_TAKEN PEAK_KB STATUS CPU_TAKEN <"$result"
  else
    STATUS=0
    /usr/bin/time -f "%e %M %U %S" -o "$result" "$@" || STATUS=$?
    read -r SECONDS_TAKEN PEAK_KB user system < <(tail -1 "$result")
    CPU_TAKEN=$(awk -v u="$user" -v s="$system" 'BEGIN{print u + s}')
  fi
}

median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END{print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
max() { tr ' ' '\n' | grep . | sort -g | tail -1; }

# Results by "<config>:<size>".
declare -A MEDIAN MBPS
WORST_BYTES=0
PARTS_BYTES=0
WORST_AT=
DENSE_BYTES=0
FAILED_RUNS=0

# measure_config KEY SIZE: RUNS runs of the tool with the options of KEY
# (default, rq or key) on model SIZE; the output of the last run stays in
# $WORK/out-KEY-SIZE.dat.
declare -A OPTIONS=([default]="" [rq]="-r -q" [key]="-k 16" [dense]="" [denserq]="-r -q" [parts]="-k 16")
measure_config() {
  local name=$1 size=$2
  local dir="$WORK/m$size" out="$WORK/out-$name-$size.dat"
  # The dense model's configurations are named after it.
  [[ $name == dense* ]] && dir="$WORK/d$size"
  [[ $name == parts ]] && dir="$WORK/k$size"
  local -a options
  read -r -a options <<<"${OPTIONS[$name]}"
  local times="" peaks="" cpus="" run
  for ((run = 1; run <= RUNS; run++)); do
    timed "$QUILLERY" "${options[@]}" -l "$dir" "$dir/model.dat" "$out" \
      </dev/null >"$WORK/console.txt" 2>&1
    if [ "$STATUS" != 0 ]; then
      echo "   ${OPTIONS[$name]:-default} $size: the tool exited with status $STATUS"
      tail -5 "$WORK/console.txt" | sed 's/^/     /'
      FAILED_RUNS=$((FAILED_RUNS + 1))
      return
    fi
    times="$times $SECONDS_TAKEN"
    peaks="$peaks $PEAK_KB"
    cpus="$cpus $CPU_TAKEN"
  done
  local written bytes med peak mbps per
  written=$(awk '/lines written in file/{print $1}' "$WORK/console.txt")
  bytes=$(stat -c %s "$dir/model.dat")
  med=$(echo "$times" | median)
  peak=$(echo "$peaks" | max)
  mbps=$(awk -v b="$bytes" -v t="$med" 'BEGIN{printf "%.1f", b / 1e6 / t}')
  per=$(awk -v k="$peak" -v n="$written" 'BEGIN{printf "%.0f", k * 1024 / n}')
  MEDIAN[$name:$size]=$med
  MBPS[$name:$size]=$mbps
  [ "$name" = dense ] && DENSE_BYTES=$per
  if [ "$name" = parts ]; then
    PARTS_BYTES=$per
    PARTS_LINES=$written
    PARTS_OUT_MBPS=$(awk -v b="$(stat -c %s "$out")" -v t="$med" 'BEGIN{printf "%.1f", b / 1e6 / t}')
  fi
  # Small runs are dominated by the process's fixed memory; the target is
  # about large models.
  if [[ $name != dense* && $name != parts ]] && [[ " $BIG_SIZES " == *" $size "* ]] && [ "$per" -gt "$WORST_BYTES" ]; then
    WORST_BYTES=$per
    WORST_AT="${OPTIONS[$name]:-default} at $size"
  fi
  [[ $name == dense* ]] && printf "   dense"
  [[ $name == parts ]] && printf "   parts"
  local unit=lines
  [[ $name == parts ]] && unit=refs
  printf "   %-7s %7d $unit  median %7.3f s (%s)  cpu %7.3f s  %6.1f MB/s  peak %6.1f MB  %7d lines written  %4d B/element\n" \
    "${OPTIONS[$name]:-default}" "$size" "$med" "$(echo "$times" | sed 's/^ //')" \
    "$(echo "$cpus" | median)" "$mbps" \
    "$(awk -v k="$peak" 'BEGIN{print k / 1024}')" "$written" "$per"
}

# -r -q and -k 16 run on the sizes of 250k lines and more, or on the largest.
BIG_SIZES=$(for s in $SIZES; do [ "$s" -ge 250000 ] && echo "$s"; done | sorted)
[ -n "$BIG_SIZES" ] || BIG_SIZES=$(echo "$SIZES" | tr ' ' '\n' | grep . | tail -1)

echo "== tool: median wall time of $RUNS runs (each run's in brackets), median cpu (user + system) time;"
echo "   MB/s: input megabytes (10^6 bytes) per wall second; peak: the largest resident set of the runs"
for size in $SIZES; do measure_config default "$size"; done
for size in $BIG_SIZES; do measure_config rq "$size"; done
for size in $BIG_SIZES; do measure_config key "$size"; done
if [ "$DENSE_SIZE" -gt 0 ]; then
  measure_config dense "$DENSE_SIZE"
  measure_config denserq "$DENSE_SIZE"
fi
[ "$PARTS_REFS" -gt 0 ] && measure_config parts "$PARTS_REFS"

# --- targets ----------------------------------------------------------------
PASSED=0
FAILED=0
UNDECIDED=0
verdict() {  # verdict OK TEXT
  if [ "$1" = 1 ]; then
    PASSED=$((PASSED + 1))
    echo "   PASS  $2"
  else
    FAILED=$((FAILED + 1))
    echo "   FAIL  $2"
  fi
}
less_equal() { awk -v a="$1" -v b="$2" 'BEGIN{print (a <= b) ? 1 : 0}'; }

echo "== targets"
LARGEST=$(echo "$SIZES" | tr ' ' '\n' | grep . | tail -1)
if [ -n "${MEDIAN[default:$LARGEST]:-}" ] && [ -n "${MEDIAN[rq:$LARGEST]:-}" ]; then
  ratio=$(awk -v a="${MEDIAN[default:$LARGEST]}" -v b="${MEDIAN[rq:$LARGEST]}" 'BEGIN{printf "%.2f", a / b}')
  verdict "$(less_equal "$ratio" 3)" "default / -r -q at $LARGEST lines: $ratio (at most 3)"
fi
# The growth target compares 1M with 200k lines: five times the lines in at
# most six times the time. Other sizes get the same 1.2 allowance.
SMALL=200000
[ -n "${MEDIAN[default:$SMALL]:-}" ] || SMALL=$(echo "$SIZES" | tr ' ' '\n' | grep . | head -1)
if [ "$SMALL" != "$LARGEST" ] && [ -n "${MEDIAN[default:$SMALL]:-}" ] && [ -n "${MEDIAN[default:$LARGEST]:-}" ]; then
  ratio=$(awk -v a="${MEDIAN[default:$LARGEST]}" -v b="${MEDIAN[default:$SMALL]}" 'BEGIN{printf "%.2f", a / b}')
  limit=$(awk -v a="$LARGEST" -v b="$SMALL" 'BEGIN{printf "%.2f", 1.2 * a / b}')
  verdict "$(less_equal "$ratio" "$limit")" "default $LARGEST / $SMALL lines: $ratio (at most $limit)"
fi
for size in $BIG_SIZES; do
  if [ -n "${MBPS[rq:$size]:-}" ]; then
    verdict "$(less_equal 40 "${MBPS[rq:$size]}")" "-r -q reads ${MBPS[rq:$size]} MB/s at $size lines (at least 40)"
  fi
done
# The second round of targets: the default run close to a plain read and
# write, on the current and on the dense model, the dense model read at
# 120 MB/s, and at most 150 bytes of peak memory per written line there.
if [ -n "${MEDIAN[default:$LARGEST]:-}" ] && [ -n "${MEDIAN[rq:$LARGEST]:-}" ]; then
  ratio=$(awk -v a="${MEDIAN[default:$LARGEST]}" -v b="${MEDIAN[rq:$LARGEST]}" 'BEGIN{printf "%.2f", a / b}')
  verdict "$(less_equal "$ratio" 1.6)" "default / -r -q at $LARGEST lines: $ratio (at most 1.6)"
fi
if [ -n "${MEDIAN[dense:$DENSE_SIZE]:-}" ] && [ -n "${MEDIAN[denserq:$DENSE_SIZE]:-}" ]; then
  ratio=$(awk -v a="${MEDIAN[dense:$DENSE_SIZE]}" -v b="${MEDIAN[denserq:$DENSE_SIZE]}" 'BEGIN{printf "%.2f", a / b}')
  verdict "$(less_equal "$ratio" 2.0)" "dense: default / -r -q at $DENSE_SIZE lines: $ratio (at most 2.0)"
  verdict "$(less_equal 120 "${MBPS[denserq:$DENSE_SIZE]}")" "dense: -r -q reads ${MBPS[denserq:$DENSE_SIZE]} MB/s (at least 120)"
  verdict "$(less_equal "$DENSE_BYTES" 150)" "dense: peak memory $DENSE_BYTES bytes per written line by default (at most 150)"
fi
# Flattening real parts: output written at 20 MB/s or more, at most 150
# bytes of peak memory per output line.
if [ -n "${MEDIAN[parts:$PARTS_REFS]:-}" ]; then
  verdict "$(less_equal 20 "$PARTS_OUT_MBPS")" "parts: -k 16 writes $PARTS_OUT_MBPS MB/s of output ($PARTS_LINES lines; at least 20)"
  verdict "$(less_equal "$PARTS_BYTES" 150)" "parts: peak memory $PARTS_BYTES bytes per output line with -k 16 (at most 150)"
fi
if [ -n "$WORST_AT" ]; then
  verdict "$(less_equal "$WORST_BYTES" 400)" "peak memory $WORST_BYTES bytes per written line, the most at $(echo $BIG_SIZES | sed 's/ / and /g') lines ($WORST_AT; at most 400)"
fi
if [ "$FAILED_RUNS" -gt 0 ]; then
  verdict 0 "$FAILED_RUNS measured configurations did not complete"
fi

# --- reference ----------------------------------------------------------------
# The reference runs once per size, smallest first, until a run times out.
# The speed-up target is taken at 100000 lines; when the reference does not
# finish there, only a lower bound is known.
SPEEDUP_DONE=0
if [ -n "$REFERENCE" ]; then
  echo "== reference: default options, one run per size, up to ${REF_TIMEOUT} s"
  for size in $REF_SIZES; do
    [ -n "${MEDIAN[default:$size]:-}" ] || measure_config default "$size"
    fast=${MEDIAN[default:$size]:-}
    [ -n "$fast" ] || break
    dir="$WORK/m$size"
    timed timeout "$REF_TIMEOUT" "$REFERENCE" -l "$dir" "$dir/model.dat" \
      "$WORK/ref-$size.dat" </dev/null >"$WORK/console.txt" 2>&1
    if [ "$STATUS" = 124 ]; then
      bound=$(awk -v r="$REF_TIMEOUT" -v f="$fast" 'BEGIN{printf "%.0f", r / f}')
      printf "   %8d lines: reference timed out after %s s, fast %.3f s: speed-up at least %sx\n" \
        "$size" "$REF_TIMEOUT" "$fast" "$bound"
      if [ "$size" = 100000 ] && [ "$bound" -ge 100 ]; then
        verdict 1 "speed-up at 100000 lines at least ${bound}x (at least 100)"
        SPEEDUP_DONE=1
      fi
      break
    elif [ "$STATUS" != 0 ]; then
      verdict 0 "the reference exited with status $STATUS at $size lines"
      break
    fi
    speedup=$(awk -v r="$SECONDS_TAKEN" -v f="$fast" 'BEGIN{printf "%.1f", r / f}')
    if cmp -s "$WORK/out-default-$size.dat" "$WORK/ref-$size.dat"; then
      same=identical
    else
      same="DIFFERENT ($(cmp "$WORK/out-default-$size.dat" "$WORK/ref-$size.dat" 2>&1 | head -1 | sed "s|$WORK/||g"))"
    fi
    printf "   %8d lines: reference %.3f s, fast %.3f s, speed-up %sx, %s\n" \
      "$size" "$SECONDS_TAKEN" "$fast" "$speedup" "$same"
    verdict "$([ "$same" = identical ] && echo 1 || echo 0)" "output at $size lines identical to the reference's"
    if [ "$size" = 100000 ]; then
      verdict "$(less_equal 100 "$speedup")" "speed-up at 100000 lines ${speedup}x (at least 100)"
      SPEEDUP_DONE=1
    fi
    rm -f "$WORK/ref-$size.dat"
  done
  if [ "$SPEEDUP_DONE" = 0 ] && [[ " $REF_SIZES " == *" 100000 "* ]]; then
    UNDECIDED=$((UNDECIDED + 1))
    echo "   ????  speed-up at 100000 lines undecided: the reference did not finish within ${REF_TIMEOUT} s (REF_TIMEOUT=3600 decides it)"
  fi
fi

echo "== $PASSED passed, $FAILED failed, $UNDECIDED undecided"
[ "$FAILED" = 0 ]
