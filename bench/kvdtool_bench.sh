#!/usr/bin/env bash
# Times `kvdtool dump` of one file (mostly process start), one `kvdtool check` and one
# `kvdtool set` of one field over 10,000 files, and `kvdtool merge` of 10,000 file triples,
# one process each as git runs it, $JOBS at a time; all in a temporary folder on the disk
# that holds $TMPDIR (set and merge flush every file they write).
#   bench/kvdtool_bench.sh [KVDTOOL] [FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-build/tools/kvdtool/kvdtool}
file=${2:-examples/sample.kvd}
runs=${RUNS:-200}
count=${COUNT:-10000}
[ -x "$tool" ] || { echo "no $tool: build the kvdtool target first" >&2; exit 2; }

now() { date +%s%N; }
per_run() { awk -v a="$1" -v b="$2" -v n="$3" 'BEGIN { printf "%.2f", (b - a) / n / 1e6 }'; }

start=$(now)
for ((i = 0; i < runs; i++)); do /bin/true; done
base=$(per_run "$start" "$(now)" "$runs")

"$tool" dump "$file" >/dev/null
start=$(now)
for ((i = 0; i < runs; i++)); do "$tool" dump "$file" >/dev/null; done
dump=$(per_run "$start" "$(now)" "$runs")
echo "dump of one file: ${dump} ms per run over $runs runs (starting /bin/true: ${base} ms)"

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# One long file cut into records is much quicker than thousands of copies.
for ((i = 0; i < count; i++)); do cat "$file"; done >"$dir/all"
(cd "$dir" && split -b 3228 -a 5 -d --additional-suffix=.kvd all m && rm all)
# A few files with something to report, so the run prints findings too.
for n in 00007 04242 09999; do printf '\002' | dd of="$dir/m$n.kvd" bs=1 seek=60 conv=notrunc status=none; done

start=$(now)
status=0
"$tool" check "$dir"/*.kvd >"$dir/findings" || status=$?
end=$(now)
echo "check of $count files: $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }') s," \
     "$(wc -l <"$dir/findings") findings, exit status $status"

seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }
# The sample holds M07 here; M08 changes every file, the second run changes none.
for value in M08 M08; do
    start=$(now)
    status=0
    "$tool" set -s "cut[1].OnSeq[1]=\"$value\"" "$dir"/*.kvd || status=$?
    end=$(now)
    changed=$({ cmp -l "$file" "$dir/m05000.kvd" || true; } | wc -l)
    echo "set of one field on $count files: $(seconds "$start" "$end") s, exit status $status," \
         "$changed bytes changed in a file"
done

# Triples whose sides changed different fields: every merge is clean and writes OURS.
mkdir "$dir/base" "$dir/ours" "$dir/theirs"
for side in base ours theirs; do
    cp "$file" "$dir/one.kvd"
    case $side in
        ours) "$tool" set -s MinArcRadius=0.5 "$dir/one.kvd" ;;
        theirs) "$tool" set -s 'cut[1].OnSeq[1]="M08"' "$dir/one.kvd" ;;
    esac
    for ((i = 0; i < count; i++)); do cat "$dir/one.kvd"; done >"$dir/$side/all"
    (cd "$dir/$side" && split -b 3228 -a 5 -d --additional-suffix=.kvd all m && rm all)
done
jobs=${JOBS:-32}
start=$(now)
status=0
(cd "$dir/base" && ls) | xargs -P "$jobs" -I{} "$tool" merge "$dir/base/{}" "$dir/ours/{}" "$dir/theirs/{}" || status=$?
end=$(now)
# After a clean merge OURS differs from THEIRS only in its own change.
left=$("$tool" diff "$dir/ours/m00000.kvd" "$dir/theirs/m00000.kvd" | tr '\n' ' ' || true)
echo "merge of $count file triples, $jobs at a time: $(seconds "$start" "$end") s, exit status $status," \
     "ours then differs from theirs in: ${left:-nothing}"
