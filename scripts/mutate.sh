#!/usr/bin/env bash
# The project's mutation check: plants one small fault at a time in the given source
# files, rebuilds what the file goes into, runs the tests of its subsystem and tells
# which faults no test noticed. Too slow for CI; run it by hand, for example
#   nice -n 10 scripts/mutate.sh --sample 20 capture/SelectionGeometry.cpp server/TokenStore.cpp:10-40
# Options: --sample N (N mutants a file, evenly spread; default all), --build-dir DIR
# (default build-mutate), --jobs N (default 2), --equivalent FILE (survivors judged
# equivalent, set aside from the rate; default scripts/mutate-equivalent.txt),
# --retry FILE (only the mutants listed there, e.g. the BUILD/mutate-survivors.txt of an
# earlier run, to check that new tests kill them).
# The source file is put back after every mutant, on Ctrl+C and on kill; a run killed
# with SIGKILL is repaired by the next run before it starts.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

sample=0 build=build-mutate jobs=2 equivalent=scripts/mutate-equivalent.txt retry=
targets=()
while (($#)); do
    case $1 in
    --sample) sample=$2; shift 2 ;;
    --build-dir) build=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --equivalent) equivalent=$2; shift 2 ;;
    --retry) retry=$(cat "$2") || exit 2; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    -*) echo "mutate.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
    esac
done
((${#targets[@]})) || { echo "usage: scripts/mutate.sh [options] FILE[:FROM-TO[,FROM-TO]]..." >&2; exit 2; }

# Which tests cover a source folder: CTest labels, one per tests/<folder>.
declare -A labels=(
    [capture]='capture' [editor]='editor' [service]='service' [banner]='banner'
    [helpers]='helpers' [platform]='platform' [app]='app' [server]='server'
)
# Programs the tests of a folder start (vornik, or vornik-server through the harness's
# ServerProcess), rebuilt with them.
declare -A programs=(
    [app]='vornik vornik-server' [helpers]='vornik vornik-server' [platform]='vornik'
    [banner]='vornik-server' [service]='vornik-server' [server]='vornik-server'
)

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
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
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

total_killed=0 total_counted=0
summary=()
for target in "${targets[@]}"; do
    file=${target%%:*} ranges=()
    [[ $target == *:* ]] && IFS=, read -ra ranges <<<"${target#*:}"
    [[ -f $file ]] || { echo "mutate.sh: no file $file" >&2; exit 2; }
    folder=${file%%/*}
    label=${labels[$folder]:-}
    [[ -n $label ]] || { echo "mutate.sh: no tests are mapped to $folder/" >&2; exit 2; }
    label_regex="^(${label// /|})\$"
    mapfile -t tests < <(cd "$build" && ctest -N -L "$label_regex" | sed -n 's/^ *Test *#[0-9]*: //p')
    build_list=("${tests[@]}" ${programs[$folder]:-})

    echo "== $file: tests labelled $label (${#tests[@]}: ${tests[*]})"
    build_unchanged "${build_list[@]}" || { echo "mutate.sh: $file does not build unchanged, see $log" >&2; exit 1; }
    started=$SECONDS
    run_tests "$label_regex" 600 || { echo "mutate.sh: the tests fail without a mutant, see $log" >&2; exit 1; }
    timeout=$(((SECONDS - started) * 3 + 30))

    mapfile -t mutants < <(python3 scripts/mutate.py list "$file" "${ranges[@]}")
    chosen=("${mutants[@]}")
    if ((sample > 0 && ${#mutants[@]} > sample)); then
        chosen=()
        for ((i = 0; i < sample; i++)); do chosen+=("${mutants[i * ${#mutants[@]} / sample]}"); done
    fi
    echo "   ${#mutants[@]} mutants, trying ${#chosen[@]}; unchanged tests took $((SECONDS - started)) s"

    killed=0 counted=0 broken=0 set_aside=0
    for mutant in "${chosen[@]}"; do
        IFS=$'\t' read -r index line operator change place <<<"$mutant"
        key="$file | $place | $operator $change"
        [[ -z $retry ]] || grep -qxF -- "$key" <<<"$retry" || continue
        mkdir -p "$backups/$(dirname "$file")"
        cp "$file" "$backups/$file"
        python3 scripts/mutate.py apply "$backups/$file" "$index" "$file"
        echo "--- mutant $file:$line $operator $change" >>"$log"
        if ! build_targets "${build_list[@]}"; then
            broken=$((broken + 1))
        elif run_tests "$label_regex" "$timeout"; then
            if [[ -f $equivalent ]] && grep -qxF -- "$key" "$equivalent"; then
                set_aside=$((set_aside + 1))
                echo "   equivalent $file:$line [$operator] $change"
            else
                counted=$((counted + 1))
                echo "   SURVIVED   $file:$line [$operator] $change"
                echo "$key" >>"$build/mutate-survivors.txt"
            fi
        else
            killed=$((killed + 1)) counted=$((counted + 1))
        fi
        restore
    done
    rate=$(python3 -c "print(f'{100 * $killed / $counted:.0f}' if $counted else '-')")
    summary+=("$(printf '%-32s %4d killed / %4d  %4s %%   (%d did not compile, %d equivalent)' \
        "$file" "$killed" "$counted" "$rate" "$broken" "$set_aside")")
    echo "   ${summary[-1]}"
    total_killed=$((total_killed + killed)) total_counted=$((total_counted + counted))
done

echo "== kill rate"
printf '%s\n' "${summary[@]}"
python3 -c "print(f'{\"all\":<32} {$total_killed:4d} killed / {$total_counted:4d}  ' + (f'{100 * $total_killed / $total_counted:4.0f} %' if $total_counted else '   -'))"
