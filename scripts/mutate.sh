#!/usr/bin/env bash
# The project's mutation check: plants one small fault at a time in the given source
# files, runs the tests that run the mutated line (cheapest first, each program rebuilt
# just before its test) and tells which faults no test noticed. Too slow for CI; run it
# by hand, for example
#   nice -n 10 scripts/mutate.sh --coverage      # once, and again after new tests
#   nice -n 10 scripts/mutate.sh --sample 20 capture/SelectionGeometry.cpp server/TokenStore.cpp:10-40
#   nohup nice -n 10 scripts/mutate.sh --sample 5 --jobs 1 --all >mutate.out 2>&1 &
# Options: --sample N (N mutants a file, evenly spread; default all), --all (every
# product source file), --build-dir DIR (default build-mutate), --jobs N (default 2),
# --equivalent FILE (survivors judged equivalent, set aside from the rate; default
# scripts/mutate-equivalent.txt), --retry FILE (run again the recorded survivors listed
# there, e.g. BUILD/mutate-survivors.txt, to check that new tests kill them), --report
# (only print the rate per folder from the results so far), --coverage (first build the
# map of which tests run which line, in BUILD-coverage; without a map, or for a line it
# does not know, the tests of the file's folder run; a line no test runs is a survivor
# without a build), --coverage-build DIR (that build; default BUILD-coverage).
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
product=("${!labels[@]}")

sample=0 build=build-mutate jobs=2 equivalent=scripts/mutate-equivalent.txt retry= report_only= make_coverage=0 coverage_build=
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
    --coverage) make_coverage=1; shift ;;
    --coverage-build) coverage_build=$2; shift 2 ;;
    -h|--help) sed -n '2,25p' "$0"; exit 0 ;;
    -*) echo "mutate.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
    esac
done
results=$build/mutate-results
coverage_build=${coverage_build:-$build-coverage}
if [[ -n $report_only ]]; then
    mapfile -t -d '' done_files < <(find "$results" -name '*.txt' -print0 2>/dev/null | sort -z)
    python3 scripts/mutate.py report "$equivalent" "${done_files[@]}"
    exit 0
fi
((${#targets[@]} || make_coverage)) || { echo "usage: scripts/mutate.sh [options] FILE[:FROM-TO[,FROM-TO]]..." >&2; exit 2; }

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
stop_child() {
    [[ -n $child ]] && kill -- -"$child" 2>/dev/null
    [[ -n ${watchdog:-} ]] && kill -- -"$watchdog" 2>/dev/null
    restore
    exit 130
}
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
    # Unoptimised and without debug information (the build type adds none): every mutant
    # is a compile and a few links, which take far longer with either.
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O0 -g0" \
        -DVORNIK_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
fi
log=$build/mutate.log
: >"$log"

: >"$build/mutate-survivors.txt"

build_unchanged() { in_background cmake --build "$build" -j"$jobs" --target "$@" >>"$log" 2>&1; }
build_targets() { CCACHE_DISABLE=1 build_unchanged "$@"; }

# Every test: its program's build target, its labels and what it cost in the coverage run.
declare -A test_target=() test_labels=() test_cost=()
coverage=$build/coverage-map.json
read_tests() {
    local name target labels cost
    while IFS=$'\t' read -r name target labels cost; do
        test_target[$name]=$target test_labels[$name]=$labels test_cost[$name]=$cost
    done < <(cd "$1" && ctest --show-only=json-v1 | python3 "$root/scripts/mutate.py" tests "$1" "$root/$coverage")
}
# The tests of the given labels, cheapest first (the Wayland sessions and the packages,
# which need their own machine state, only when asked for by their label).
tests_labelled() {
    local name label
    for name in "${!test_labels[@]}"; do
        for label in "$@"; do
            [[ ,${test_labels[$name]}, == *,$label,* ]] && { printf '%s\t%s\n' "${test_cost[$name]}" "$name"; break; }
        done
    done | sort -n | cut -f2
}
# Runs one test, stopped with all it started after three times its usual time (a test's
# own time limit, which CTest prefers to --timeout, is minutes); the Wayland sessions one
# at a time on the machine.
run_test() {
    local timeout status=0 command=(ctest --test-dir "$build" -R "^$1\$")
    timeout=$(python3 -c "print(int(float('${test_cost[$1]:-60}') * 3 + 30))")
    [[ ,${test_labels[$1]}, == *,wayland,* ]] && command=(flock /tmp/vornik-wayland.lock "${command[@]}")
    setsid "${command[@]}" >>"$log" 2>&1 &
    child=$!
    setsid bash -c "sleep $timeout; echo 'mutate.sh: stopped after $timeout s' >>'$log'; kill -- -$child" 2>/dev/null &
    watchdog=$!
    wait "$child" || status=$?
    kill -- -"$watchdog" 2>/dev/null || true
    return "$status"
}
# Runs the mutant now in place against the given tests, cheapest first, each built just
# before it runs (a killed mutant needs one program linked); its status in $outcome.
try_mutant() {
    local name targets
    for name in "$@"; do
        # A test the map knows but this build does not (a map from another checkout).
        [[ -n ${test_target[$name]:-} ]] || continue
        targets=(vornik vornik-server)
        [[ ${test_target[$name]} != - ]] && targets+=("${test_target[$name]}")
        build_targets "${targets[@]}" || { outcome=broken; return; }
        run_test "$name" || { outcome=killed; return; }
    done
    outcome=survived
}

# --coverage: a build with line counts in BUILD-coverage, every test run once in it with
# its counts kept apart (GCOV_PREFIX), and the map of which tests run which line.
make_coverage_map() {
    local counts=$root/$coverage_build/counts name
    # Programs that leave through _exit() or a stop signal write their counts too.
    mkdir -p "$coverage_build"
    cc -c -O1 -o "$coverage_build/coverage_flush.o" scripts/coverage_flush.c
    local flush="-Wl,--wrap=_exit $root/$coverage_build/coverage_flush.o"
    local first=()
    [[ -f $coverage_build/CMakeCache.txt ]] || first=(-G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O0 -g0 --coverage"
        -DCMAKE_C_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DCMAKE_MODULE_LINKER_FLAGS=--coverage
        -DVORNIK_BUILD_TESTS=ON -DVORNIK_BUILD_BENCH=OFF "${launcher[@]}")
    cmake -S . -B "$coverage_build" "${first[@]}" -DCMAKE_EXE_LINKER_FLAGS="--coverage $flush" >/dev/null
    cmake --build "$coverage_build" -j"$jobs" >>"$log" 2>&1 || { echo "mutate.sh: the coverage build fails, see $log" >&2; exit 1; }
    rm -rf "$counts" && mkdir -p "$counts"
    read_tests "$root/$coverage_build"
    cover_one() {
        local started=$EPOCHREALTIME
        # Once more after a failure: two tests side by side on a loaded machine can
        # miss a deadline that one alone keeps.
        if GCOV_PREFIX=$2/$1 ctest --test-dir "$3" -R "^$1\$" --timeout 600 >"$2/$1.log" 2>&1 ||
            { rm -rf "${2:?}/$1"; started=$EPOCHREALTIME
              GCOV_PREFIX=$2/$1 ctest --test-dir "$3" -R "^$1\$" --timeout 600 >"$2/$1.log" 2>&1; }; then
            python3 -c "print($EPOCHREALTIME - $started)" >"$2/$1.seconds"
        else
            echo "mutate.sh: $1 fails without a mutant (see $2/$1.log); its lines count as not run" >&2
            rm -rf "${2:?}/$1"
        fi
    }
    export -f cover_one
    # Not the tests of the packages (they install them) nor those run by python3 alone.
    for name in "${!test_labels[@]}"; do
        [[ ,${test_labels[$name]}, =~ ,(wayland|packaging), || ${test_target[$name]} == - ]] || echo "$name"
    done | xargs -P "$jobs" -I{} bash -c 'cover_one "$@"' _ {} "$counts" "$root/$coverage_build"
    for name in $(tests_labelled wayland); do
        flock /tmp/vornik-wayland.lock bash -c 'cover_one "$@"' _ "$name" "$counts" "$root/$coverage_build"
    done
    python3 scripts/mutate.py coverage "$counts" "$root" "$coverage"
    echo "== coverage map of $(ls "$counts" | grep -c '\.seconds$') tests in $coverage"
    test_target=() test_labels=() test_cost=()
}
((make_coverage)) && make_coverage_map

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

# The build's test list as of this checkout (new test files are found at configure time).
cmake "$build" >/dev/null
read_tests "$root/$build"
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
    mapfile -t label_tests < <(tests_labelled $label)

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
            { [[ ${statuses[i]} == survived || ${statuses[i]} == unrun ]] && grep -qxF -- "$file | $place | $operator $change" <<<"$retry"; }; then
            todo+=("$i")
        fi
    done
    echo "== $file: ${#mutants[@]} mutants, ${#chosen[@]} chosen, $((${#chosen[@]} - ${#todo[@]})) done before, ${#todo[@]} to run"
    ((${#todo[@]})) || write_record

    if ((${#todo[@]})); then
        build_unchanged vornik vornik-server || { echo "mutate.sh: $file does not build unchanged, see $log" >&2; exit 1; }
    fi
    for i in "${todo[@]}"; do
        IFS=$'\t' read -r index line operator change place <<<"${chosen[i]}"
        # The tests that run the line, from the coverage map; the folder's tests when
        # the map does not know the line.
        mapfile -t covering < <([[ -f $coverage ]] && python3 scripts/mutate.py covering "$coverage" "$file" "$line" | cut -f1)
        case ${covering[0]:-unknown} in
        none) statuses[i]=unrun; write_record; continue ;;
        unknown) covering=("${label_tests[@]}") ;;
        esac
        ((${#covering[@]})) || { statuses[i]=unrun; write_record; continue; }
        mkdir -p "$backups/$(dirname "$file")"
        cp "$file" "$backups/$file"
        python3 scripts/mutate.py apply "$backups/$file" "$index" "$file"
        echo "--- mutant $file:$line $operator $change (${covering[*]})" >>"$log"
        try_mutant "${covering[@]}"
        statuses[i]=$outcome
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
        survived|unrun)
            why=; [[ ${statuses[i]} == unrun ]] && why=" (no test runs this line)"
            if [[ -f $equivalent ]] && grep -qxF -- "$key" "$equivalent"; then
                set_aside=$((set_aside + 1))
                echo "   equivalent $file:$line [$operator] $change"
            else
                counted=$((counted + 1))
                echo "   SURVIVED   $file:$line [$operator] $change$why"
                echo "$key" >>"$build/mutate-survivors.txt"
            fi ;;
        esac
    done
    printf '   %-32s %4d killed / %4d  (%d did not compile, %d equivalent)\n' \
        "$file" "$killed" "$counted" "$broken" "$set_aside"
done

((${#records[@]})) || exit 0
echo "== kill rate"
python3 scripts/mutate.py report "$equivalent" "${records[@]}"
