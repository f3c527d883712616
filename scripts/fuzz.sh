#!/usr/bin/env bash
# Builds the libFuzzer targets of the portable input parsers (fuzz/, clang++,
# Release with AddressSanitizer and UBSan) into build/fuzz and runs each for
# the given number of seconds, starting from its seed corpus fuzz/corpus/<target>.
# New inputs go to the scratch corpus build/fuzz-corpus/<target> (kept between
# runs; the committed corpus is never written). Prints executions per second
# and coverage per target, and exits non-zero when any target crashed; the
# crashing input is kept in build/fuzz-artifacts/ and the log in build/fuzz-logs/.
#
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]
#   FUZZ_JOBS=2 scripts/fuzz.sh 600   runs two targets at a time
#   reproduce a crash: build/fuzz/<target>_fuzz build/fuzz-artifacts/<target>-crash-...
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
# Every fuzz/<target>_fuzz.cpp is a target, as fuzz/CMakeLists.txt builds them.
all_targets=()
for source in fuzz/*_fuzz.cpp; do
  name=${source#fuzz/}
  all_targets+=("${name%_fuzz.cpp}")
done
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
jobs=${FUZZ_JOBS:-1}

build=build/fuzz
logs=build/fuzz-logs
artifacts=build/fuzz-artifacts
scratch=build/fuzz-corpus

# Longest input per target: whole files for the descriptor and the
# preference file, a few icon entries, a few lines of source text for the
# text engine, short texts and event runs elsewhere.
max_len() {
  case "$1" in
    descriptor | preferences) echo 65536 ;;
    icon_file) echo 8192 ;;
    color_tokens) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

# Debian ships the libFuzzer runtime apart from clang (recommended only).
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
  >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  echo "fuzz: clang++ cannot link libFuzzer; installing libclang-rt-dev"
  SUDO=
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    libclang-rt-dev >/dev/null
fi

echo "== fuzz build ($build)"
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"

mkdir -p "$logs" "$artifacts"
run_target() {
  local t=$1
  mkdir -p "$scratch/$t"
  rm -f "$logs/$t.status"
  local rc=0
  # The first corpus directory receives the new inputs; the seeds are only read.
  "$build/${t}_fuzz" -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=30 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$t-" \
    "$scratch/$t" "fuzz/corpus/$t" >"$logs/$t.log" 2>&1 || rc=$?
  echo "$rc" >"$logs/$t.status"
}

echo "== fuzzing ${targets[*]}: ${seconds} s each, $jobs at a time"
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_target "$t" &
done
wait

failed=0
printf '%-14s %12s %10s %8s %8s  %s\n' target executions exec/s cov ft result
for t in "${targets[@]}"; do
  log="$logs/$t.log"
  status=$(cat "$logs/$t.status" 2>/dev/null || echo "?")
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$done_line")
  if [ "$status" = 0 ] && [ -n "$done_line" ]; then
    result=ok
  else
    result="CRASH (exit $status), see $log"
    failed=1
  fi
  printf '%-14s %12s %10s %8s %8s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" \
    "$result"
done
if [ "$failed" -ne 0 ]; then
  echo "fuzz: a target failed; its input is in $artifacts/"
  for t in "${targets[@]}"; do
    grep -E 'check failed|ERROR: |runtime error|SUMMARY' "$logs/$t.log" 2>/dev/null |
      sed "s|^|  $t: |" | head -5 || true
  done
  exit 1
fi
echo "fuzz: no crash"
