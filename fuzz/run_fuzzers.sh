#!/usr/bin/env bash
# Runs each fuzz target of a QUARRIX_FUZZ build for a number of seconds,
# starting from the files under tests/data and a few archives made by the
# build's own quarrix-cli. Exits non-zero on the first finding; the input
# that caused it is left in BUILD/fuzz-findings/.
#   bash fuzz/run_fuzzers.sh BUILD_DIR SECONDS [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
seconds="$2"
shift 2
targets=("$@")
((${#targets[@]})) || targets=(archive_reader xlsx_reader xls_reader catalogue_import oscal_catalog)

work=$(mktemp -d /tmp/quarrix-fuzz.XXXXXX)
# The targets remove their work folders as they end; those of a target that
# died (a finding, a timeout) are removed here.
remove_dead_work_folders() {
  local folder pid
  for folder in /dev/shm/quarrix-fuzz-* "${TMPDIR:-/tmp}"/quarrix-fuzz-[0-9]*; do
    [[ -d "$folder" ]] || continue
    pid="${folder##*-}"
    [[ "$pid" =~ ^[0-9]+$ ]] && ! kill -0 "$pid" 2>/dev/null && rm -rf "$folder"
  done
  return 0
}
trap 'rm -rf "$work"; remove_dead_work_folders' EXIT
findings="$build/fuzz-findings"
mkdir -p "$findings"

seed_archives() {
  local out="$1" cli="$build/src/quarrix-cli" store="$work/seed.mdb"
  printf '<Analysis>\r\n<Title>\r\nHafen M\xfcnster\r\n</Title>\r\n<RequirementRecord>\r\nBR1\r\nFirst\r\nNorth\r\nHigh\r\nSales\r\nPlan\r\n\r\n</RequirementRecord>\r\n<DriverRecord>\r\nBD1\r\nDrive\r\nSouth\r\nOps\r\nCore\r\nBR1: First\r\n\r\n</DriverRecord>\r\n<DriverAttributeRecord>\r\nBD1\r\nAvailable\r\n2\r\n</DriverAttributeRecord>\r\n</Analysis>\r\n' >"$out/hand.txt"
  # A whole assessment as the program writes it: the starter catalogues,
  # the hand-made records above, the derivation.
  run() { ASAN_OPTIONS=detect_leaks=0 "$cli" --store "$store" "$@" >/dev/null 2>&1; }
  if ! { run load-archive "$out/hand.txt" && run import-controls "$root/sets/starter_controls.xlsx" &&
    run import-attributes "$root/sets/starter_attributes.xlsx" && { run derive || true; } &&
    run save-archive "$out/whole.txt"; }; then
    echo "(the whole-assessment seed archive could not be made; starting from the hand-made one)" >&2
  fi
  # Encodings and the cases around them: UTF-8 without a mark, with a mark,
  # a broken sequence, a byte Windows-1252 leaves undefined, a value holding
  # a line that reads as a tag, a stray line outside blocks.
  printf '<Analysis>\r\n<Title>\r\ncaf\xc3\xa9 \xe2\x82\xac\r\n</Title>\r\n</Analysis>\r\n' >"$out/utf8.txt"
  printf '\xef\xbb\xbf<Analysis>\r\n<Notes>\r\nab\xc3\r\n</Notes>\r\n</Analysis>\r\n' >"$out/broken.txt"
  printf '<Analysis>\r\n<Title>\r\nZ\xfcrich\x81\r\n</Title>\r\n</Analysis>\r\n' >"$out/undefined.txt"
  printf '<Analysis>\r\nstray %%s\r\n<Notes>\r\n[end]\r\n</Notes>\r\nx\r\n</Notes>\r\n</Analysis>\r\n' >"$out/tags.txt"
}

for target in "${targets[@]}"; do
  corpus="$work/$target"
  mkdir -p "$corpus"
  case "$target" in
    archive_reader) seed_archives "$corpus" ;;
    xls_reader) cp "$root"/tests/data/*.xls "$corpus"/ ;;
    xlsx_reader | catalogue_import) cp "$root"/tests/data/*.xls* "$root"/sets/*.xlsx "$corpus"/ ;;
    oscal_catalog) cp "$root"/tests/data/oscal_*.json "$corpus"/ ;;
    *) echo "unknown fuzz target $target" >&2; exit 2 ;;
  esac
  echo "== fuzz_$target for ${seconds}s"
  log="$findings/$target.log"
  status=0
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/$target-" "$corpus" >"$log" 2>&1 || status=$?
  if ((status != 0)); then
    tail -n 150 "$log"
    echo "fuzz_$target found a fault (exit $status); the input is in $findings" >&2
    exit 1
  fi
  grep -E "^stat::number_of_executed_units|^Done" "$log" || tail -n 5 "$log"
  remove_dead_work_folders
done
