#!/usr/bin/env bash
# Installs the SDK into a temporary prefix, builds the C client against it through CMake and
# through pkg-config, and runs both against tarvex-sim on a pseudo-terminal named by
# TARVEX_SDK_DEVICE.
#   sdk_install_test.sh BUILD_DIR CLIENT_SOURCE_DIR TARVEX_SIM C_COMPILER
set -euo pipefail
build=$1 client=$2 simulator=$3 cc=$4

work=$(mktemp -d)
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null

echo "== through CMake"
cmake -S "$client" -B "$work/cmake" -G Ninja -DCMAKE_C_COMPILER="$cc" \
    -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null

echo "== through pkg-config"
pc_file=$(find "$work/prefix" -name TarvexSDK.pc)
export PKG_CONFIG_PATH=$(dirname "$pc_file")
# shellcheck disable=SC2046
"$cc" -std=c99 -Wall -Wextra -Wpedantic -Werror "$client/sdk_client.c" -o "$work/pkg-client" \
    $(pkg-config --cflags --libs TarvexSDK)
libdir=$(pkg-config --variable=libdir TarvexSDK)

echo "== against tarvex-sim"
coproc SIM { exec "$simulator" --pty; }
sim_pid=$SIM_PID
read -r -t 10 line <&"${SIM[0]}"
pty=${line#pty: }
[ -e "$pty" ] || { echo "tarvex-sim gave no pseudo-terminal: $line" >&2; exit 1; }

for program in "$work/cmake/sdk_client" "$work/pkg-client"; do
    output=$(TARVEX_SDK_DEVICE=$pty LD_LIBRARY_PATH=$libdir "$program")
    echo "$output"
    grep -q "serial TVX0042, 4 QCLs" <<<"$output"
done
