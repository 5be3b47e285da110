# Shared by scripts/test, scripts/run and scripts/fuzz: packages, builds, display and wine prefix.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${LR_BUILD:-$ROOT/build}
case "$BUILD" in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac
NATIVE_DIR=$BUILD/native
WINDOWS_DIR=$BUILD/windows
export WINEPREFIX=${LR_WINEPREFIX:-$BUILD/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
JOBS=${LR_JOBS:-$(nproc)}

log() { printf '== %s\n' "$*"; }

# Installs what is missing (Debian 12, as root).
ensure_packages() {
    local need=()
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
    command -v x86_64-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-x86-64)
    command -v wine >/dev/null || need+=(wine wine64)
    command -v Xvfb >/dev/null || need+=(xvfb)
    command -v xdotool >/dev/null || need+=(xdotool)
    command -v xwininfo >/dev/null || need+=(x11-utils)
    command -v cmake >/dev/null || need+=(cmake)
    command -v ninja >/dev/null || need+=(ninja-build)
    command -v clang++ >/dev/null || need+=(clang)
    command -v clang-format >/dev/null || need+=(clang-format)
    command -v python3 >/dev/null || need+=(python3)
    command -v openssl >/dev/null || need+=(openssl)
    command -v osslsigncode >/dev/null || need+=(osslsigncode)
    command -v import >/dev/null || need+=(imagemagick)
    [ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
    [ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
    [ -f /usr/include/rapidjson/document.h ] || need+=(rapidjson-dev)
    ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
    [ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || need+=(fonts-wqy-microhei)
    if [ ${#need[@]} -gt 0 ]; then
        log "installing: ${need[*]}"
        if [ "$(id -u)" != 0 ]; then
            echo "missing packages and not root: ${need[*]}" >&2
            return 1
        fi
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
    fi
}

build_native() {
    log "native build ($NATIVE_DIR)"
    cmake -S "$ROOT" -B "$NATIVE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$NATIVE_DIR" -j "$JOBS"
}

build_windows() {
    log "windows build ($WINDOWS_DIR)"
    cmake -S "$ROOT" -B "$WINDOWS_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$WINDOWS_DIR" -j "$JOBS"
}

XVFB_PID=
# Starts Xvfb on a free display unless LR_DISPLAY names one that already runs.
start_display() {
    if [ -n "${LR_DISPLAY:-}" ]; then
        export DISPLAY=$LR_DISPLAY
        return
    fi
    local n=90
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    log "Xvfb on $DISPLAY"
}

stop_display() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}

# Creates the build's own wine prefix once: a 1280x1024 virtual desktop (so that xdotool input
# reaches the low-level hooks), 96 DPI, and font substitutes for the Chinese user interface.
prepare_prefix() {
    if [ ! -f "$WINEPREFIX/.lorminrecorder-ready-2" ]; then
        log "creating wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1 || true
        local reg=$BUILD/prefix-setup.reg
        local zh='WenQuanYi Micro Hei'
        printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
            '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
            '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="1280x1024"' '' \
            '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"LogPixels"=dword:00000060' '' \
            '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
            "\"Microsoft YaHei\"=\"$zh\"" "\"Consolas\"=\"WenQuanYi Micro Hei Mono\"" \
            "\"SimSun\"=\"$zh\"" "\"MS Shell Dlg\"=\"$zh\"" "\"MS Shell Dlg 2\"=\"$zh\"" "\"Tahoma\"=\"$zh\"" \
            "\"Segoe UI\"=\"$zh\"" '' >"$reg"
        wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
        touch "$WINEPREFIX/.lorminrecorder-ready-2"
        # The first boot left a server running with a desktop made before the settings above;
        # without a restart that desktop is not the virtual one and xdotool input never arrives.
        wineserver -k >/dev/null 2>&1 || true
    fi
    # Start the server, the services and the virtual desktop here, with their output going
    # nowhere: started from inside a test they would inherit ctest's output pipe and keep the
    # test "running" long after the test program ended.
    wineserver -p >/dev/null 2>&1 || true
    wine wineboot >/dev/null 2>&1 </dev/null || true
    # The screen scale of this run (96 = 100 %, 144 = 150 %); every run sets it, so that a run at
    # another scale never leaks into the next.
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${LR_DPI:-96}" /f \
        >/dev/null 2>&1 </dev/null || true
    wine explorer /desktop=Default,1280x1024 >/dev/null 2>&1 </dev/null &
    sleep 1
}
