# Helpers of the test scripts that check a run step by step; sourced, not run.
passed=0
failed=0

# check WHAT COMMAND...: runs the command and counts it, saying what failed.
check() {
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}

# equals GOT WANTED
equals() { [ "$1" = "$2" ] || { echo "  got '$1', want '$2'"; return 1; }; }

# wait_for COMMAND...: waits up to 20 s for the command to succeed.
wait_for() {
    for _ in $(seq 200); do "$@" && return 0; sleep 0.1; done
    return 1
}

# private_home DIR: HOME, the XDG folders and TMPDIR in DIR, so that nothing the
# program does touches the user's own.
private_home() {
    mkdir -p "$1"/{home,config,data/applications,cache,runtime,tmp}
    chmod 700 "$1/runtime"
    export HOME=$1/home XDG_CONFIG_HOME=$1/config XDG_DATA_HOME=$1/data \
        XDG_CACHE_HOME=$1/cache XDG_RUNTIME_DIR=$1/runtime TMPDIR=$1/tmp
}

# summary: the closing line, and the script's exit status.
summary() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
