# Sourced by the end-to-end scripts that drive the built program on a virtual
# X display. Each script runs twice: outside, it checks its tools, makes a work
# folder and starts itself again inside Xvfb; inside (E2E_INNER=1) it does the
# test.

# Fails the test unless every named command is installed.
e2e_need() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "FAIL: $tool is not installed"
            exit 1
        fi
    done
}

# A fresh work folder in $work, removed on exit, with a home and a runtime
# folder of its own: the settings the program writes land there, and its
# single-instance lock stays apart from any other copy on this machine.
e2e_workdir() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/home" "$work/runtime"
    chmod 700 "$work/runtime"
}

# Runs this script again inside a 1280x1024 virtual display for at most
# SECONDS, with WORK, HOME and the XDG folders in $work, prints what it printed
# and exits with its status. When Xvfb cannot start, the test is skipped.
# Usage: e2e_run_on_display SECONDS ARG...
e2e_run_on_display() {
    local limit=$1 rc
    shift
    E2E_INNER=1 WORK="$work" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
        XDG_CONFIG_HOME="$work/home/.config" \
        timeout "$limit" xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@" \
        >"$work/log" 2>&1
    rc=$?
    cat "$work/log"
    if [ ! -e "$work/started" ]; then
        echo "SKIP: Xvfb could not start (exit $rc); end-to-end test not run"
        exit 0
    fi
    exit "$rc"
}

# The first step inside the display: tells the outside run that Xvfb started,
# and puts the program on X even when the test runner asked Qt for offscreen.
e2e_inside() {
    touch "$WORK/started"
    export QT_QPA_PLATFORM=xcb
}
