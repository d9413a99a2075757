#!/bin/sh
# zevctl's Send All to 96 simulated devices at once in the server role, against the same run to
# one device, both at the program's real pace (about three minutes each); then a verify of all 96
# (about two minutes). Prints the run times that zevctl reports; not run by CTest.
#   tests/bench/zevctl_fleet.sh [BUILD_DIR] [PORT]
set -eu
build=${1:-build/dev}
port=${2:-19004}
work=$(mktemp -d)
sim=
trap '[ -z "$sim" ] || kill $sim 2>/dev/null; rm -rf "$work"' EXIT
# A new document with fourteen kanji in every title.
"$build/src/ctl/zevctl" new "$work/show.dat"
python3 -c 'def kanji(n):  # the nth kanji of JIS level 1
    return bytes([0xB0 + n // 94 % 31, 0xA1 + n % 94]).decode("euc_jp")
for i in range(256):
    print("%d%s\t%d\t%s" % (i // 128 + 1, "TB"[i // 64 % 2], i % 64 + 1,
                            "".join(kanji(i * 14 + k) for k in range(14))))' \
    > "$work/titles.tsv"
"$build/src/ctl/zevctl" titles import "$work/show.dat" "$work/titles.tsv" --skip-bad

# The simulated devices stay up between the runs and connect again to each new zevctl.
simulate() { # DEVICES
    [ -z "${sim:-}" ] || { kill $sim; wait $sim 2>/dev/null || true; }
    "$build/sim/zev530tq-sim" --connect "127.0.0.1:$port" --devices "$1" > "$work/sim.log" &
    sim=$!
}

run() { # DEVICES COMMAND
    "$build/src/ctl/zevctl" --listen "$port" --devices "$1" --wait 30 --json "$2" \
        "$work/show.dat" > "$work/report.json" || true
    python3 -c 'import json, sys
report = json.load(open(sys.argv[1]))
results = {}
for device in report["devices"]:
    results[device["result"]] = results.get(device["result"], 0) + 1
print("%-8s %2s devices  %8.3f s  %s" % (sys.argv[2], sys.argv[3], report["seconds"], results))' \
        "$work/report.json" "$2" "$1"
}

simulate 1
run 1 send-all
simulate 96
run 96 send-all
run 96 verify
