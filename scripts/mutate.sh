#!/usr/bin/env bash
# The project's mutation check: plants one small fault at a time in the given source
# files, rebuilds what the file goes into, runs the tests of its subsystem and tells
# which faults no test noticed. Too slow for CI; run it by hand, for example
#   nice -n 10 scripts/mutate.sh --sample 20 capture/SelectionGeometry.cpp server/TokenStore.cpp:10-40
#   nohup nice -n 10 scripts/mutate.sh --sample 5 --jobs 1 --all >mutate.out 2>&1 &
# Options: --sample N (N mutants a file, evenly spread; default all), --all (every
# product source file), --build-dir DIR (default build-mutate), --jobs N (default 2),
# --equivalent FILE (survivors judged equivalent, set aside from the rate; default
# scripts/mutate-equivalent.txt), --retry FILE (run again the recorded survivors listed
# there, e.g. BUILD/mutate-survivors.txt, to check that new tests kill them), --report
# (only print the rate per folder from the results so far).
# Each file's outcome is kept in BUILD/mutate-results/FILE.txt with the file's hash: a
# file whose hash and sample are unchanged is not run again, and a run stopped halfway
# (Ctrl+C, kill, a reboot) resumes at its next mutant; delete the results to start over.
# The source file is put back after every mutant, on Ctrl+C and on kill; a run killed
# with SIGKILL is repaired by the next run before it starts.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# Which tests cover a source folder: CTest labels, one per tests/<folder>.
declare -A labels=(
    [capture]='capture' [editor]='editor' [service]='service' [banner]='banner'
    [helpers]='helpers' [platform]='platform' [app]='app' [server]='server'
    [history]='history' [output]='helpers editor'
)
# Programs the tests of a folder start (vornik, or vornik-server through the harness's
# ServerProcess), rebuilt with them.
declare -A programs=(
    [app]='vornik vornik-server' [helpers]='vornik vornik-server' [platform]='vornik'
    [banner]='vornik-server' [service]='vornik-server' [server]='vornik-server'
    [history]='vornik-server' [output]='vornik vornik-server'
)
product=("${!labels[@]}")

sample=0 build=build-mutate jobs=2 equivalent=scripts/mutate-equivalent.txt retry= report_only=
targets=()
while (($#)); do
    case $1 in
    --sample) sample=$2; shift 2 ;;
    --build-dir) build=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --equivalent) equivalent=$2; shift 2 ;;
    --retry) retry=$(cat "$2") || exit 2; shift 2 ;;
    --all) mapfile -t -O "${#targets[@]}" targets < <(git ls-files -- "${product[@]/%//*.cpp}"); shift ;;
    --report) report_only=1; shift ;;
    -h|--help) sed -n '2,19p' "$0"; exit 0 ;;
    -*) echo "mutate.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
    esac
done
results=$build/mutate-results
if [[ -n $report_only ]]; then
    mapfile -t -d '' done_files < <(find "$results" -name '*.txt' -print0 2>/dev/null | sort -z)
    python3 scripts/mutate.py report "$equivalent" "${done_files[@]}"
    exit 0
fi
((${#targets[@]})) || { echo "usage: scripts/mutate.sh [options] FILE[:FROM-TO[,FROM-TO]]..." >&2; exit 2; }

backups=$root/$build/mutate-backup
mkdir -p "$backups"

# Puts back every file a mutant is planted in (the backup exists only meanwhile).
restore() {
    local saved
    while IFS= read -r -d '' saved; do
        cp "$saved" "$root/${saved#"$backups"/}"
        rm -f "$saved"
    done < <(find "$backups" -type f -print0)
}
restore
# Builds and tests run in the background, in a process group of their own, so that a
# signal is handled at once: the whole group (ninja, compilers, tests) is stopped and
# the file put back before the script ends.
child=
in_background() { setsid "$@" & child=$!; wait "$child"; }
stop_child() { [[ -n $child ]] && kill -- -"$child" 2>/dev/null; restore; exit 130; }
trap restore EXIT
trap stop_child INT TERM HUP

# ccache (when there is one) makes the first, unchanged build cheap; mutants are
# compiled past it so that they do not fill it.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
# The build folder's name in the debug information does not matter here: without it in
# the hash, a second checkout's unchanged build comes out of the cache.
export CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [[ ! -f $build/build.ninja ]]; then
    # Unoptimised: every mutant is a compile, which takes far longer with optimisation.
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O0 -g0" \
        -DVORNIK_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
fi
log=$build/mutate.log
: >"$log"

: >"$build/mutate-survivors.txt"

build_unchanged() { in_background cmake --build "$build" -j"$jobs" --target "$@" >>"$log" 2>&1; }
build_targets() { CCACHE_DISABLE=1 build_unchanged "$@"; }
run_tests() {
    in_background ctest --test-dir "$build" -L "$1" -j"$jobs" --stop-on-failure --timeout "$2" >>"$log" 2>&1
}

# The build targets of a label's tests: their programs, whatever the tests are named.
test_targets() {
    (cd "$build" && ctest --show-only=json-v1 -L "$1") | python3 scripts/mutate.py targets "$root/$build"
}
# Writes the results of the file being run: its header, then the status, line and key of
# every chosen mutant run so far, in order (a temporary file, so a kill leaves no half line).
write_record() {
    local i
    mkdir -p "$(dirname "$record")"
    {
        echo "$header"
        for i in "${!statuses[@]}"; do
            IFS=$'\t' read -r _ line operator change place <<<"${chosen[i]}"
            printf '%s\t%s\t%s\n' "${statuses[i]}" "$line" "$file | $place | $operator $change"
        done
    } >"$record.tmp"
    mv "$record.tmp" "$record"
}

declare -A timeouts=()
records=()
for target in "${targets[@]}"; do
    file=${target%%:*} ranges=()
    [[ $target == *:* ]] && IFS=, read -ra ranges <<<"${target#*:}"
    [[ -f $file ]] || { echo "mutate.sh: no file $file" >&2; exit 2; }
    folder=${file%%/*}
    label=${labels[$folder]:-}
    [[ -n $label ]] || { echo "mutate.sh: no tests are mapped to $folder/" >&2; exit 2; }
    # Tests of another folder that include the file's header test it too (the hot keys
    # of app/ are driven by capture's tests, for example).
    for extra in $(grep -rlF --include='*.cpp' --include='*.h' "#include \"${file%.cpp}.h\"" tests |
        cut -d/ -f2 | grep -vx harness | sort -u); do
        [[ " $label " == *" $extra "* ]] || label+=" $extra"
    done
    label_regex="^(${label// /|})\$"

    mapfile -t mutants < <(python3 scripts/mutate.py list "$file" "${ranges[@]}")
    chosen=("${mutants[@]}")
    if ((sample > 0 && ${#mutants[@]} > sample)); then
        chosen=()
        for ((i = 0; i < sample; i++)); do chosen+=("${mutants[i * ${#mutants[@]} / sample]}"); done
    fi
    # What an earlier run found stands while the file and the choice of mutants are the same.
    record=$results/$file.txt header="# $file $(sha256sum <"$file" | cut -c1-64) sample $sample lines ${ranges[*]:-all}"
    records+=("$record")
    statuses=()
    [[ -f $record && $(head -n1 "$record") == "$header" ]] && mapfile -t statuses < <(tail -n +2 "$record" | cut -f1)
    todo=()
    for i in "${!chosen[@]}"; do
        IFS=$'\t' read -r _ line operator change place <<<"${chosen[i]}"
        if [[ -z ${statuses[i]:-} ]] ||
            { [[ ${statuses[i]} == survived ]] && grep -qxF -- "$file | $place | $operator $change" <<<"$retry"; }; then
            todo+=("$i")
        fi
    done
    echo "== $file: ${#mutants[@]} mutants, ${#chosen[@]} chosen, $((${#chosen[@]} - ${#todo[@]})) done before, ${#todo[@]} to run"
    ((${#todo[@]})) || write_record

    if ((${#todo[@]})); then
        mapfile -t build_list < <(test_targets "$label_regex")
        build_list+=(${programs[$folder]:-})
        build_unchanged "${build_list[@]}" || { echo "mutate.sh: $file does not build unchanged, see $log" >&2; exit 1; }
        if [[ -z ${timeouts[$label_regex]:-} ]]; then
            started=$SECONDS
            run_tests "$label_regex" 600 || { echo "mutate.sh: the tests fail without a mutant, see $log" >&2; exit 1; }
            timeouts[$label_regex]=$(((SECONDS - started) * 3 + 30))
            echo "   tests labelled $label (${build_list[*]}) took $((SECONDS - started)) s unchanged"
        fi
    fi
    for i in "${todo[@]}"; do
        IFS=$'\t' read -r index line operator change place <<<"${chosen[i]}"
        mkdir -p "$backups/$(dirname "$file")"
        cp "$file" "$backups/$file"
        python3 scripts/mutate.py apply "$backups/$file" "$index" "$file"
        echo "--- mutant $file:$line $operator $change" >>"$log"
        if ! build_targets "${build_list[@]}"; then
            statuses[i]=broken
        elif run_tests "$label_regex" "${timeouts[$label_regex]}"; then
            statuses[i]=survived
        else
            statuses[i]=killed
        fi
        restore
        write_record
    done

    killed=0 counted=0 broken=0 set_aside=0
    for i in "${!statuses[@]}"; do
        IFS=$'\t' read -r _ line operator change place <<<"${chosen[i]}"
        key="$file | $place | $operator $change"
        case ${statuses[i]} in
        broken) broken=$((broken + 1)) ;;
        killed) killed=$((killed + 1)) counted=$((counted + 1)) ;;
        survived)
            if [[ -f $equivalent ]] && grep -qxF -- "$key" "$equivalent"; then
                set_aside=$((set_aside + 1))
                echo "   equivalent $file:$line [$operator] $change"
            else
                counted=$((counted + 1))
                echo "   SURVIVED   $file:$line [$operator] $change"
                echo "$key" >>"$build/mutate-survivors.txt"
            fi ;;
        esac
    done
    printf '   %-32s %4d killed / %4d  (%d did not compile, %d equivalent)\n' \
        "$file" "$killed" "$counted" "$broken" "$set_aside"
done

echo "== kill rate"
python3 scripts/mutate.py report "$equivalent" "${records[@]}"
