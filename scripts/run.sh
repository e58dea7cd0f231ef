#!/usr/bin/env bash
# Installs what is missing, builds, and shows the channel database tool at work on the sample database.
# scripts/run.sh dranfel: the recording manager instead, on a demo disk of recordings made at run time.
# With a display: Korvid on screen, talking to a simulated receiver on a pseudo-terminal as COM1.
# Without one: the headless demonstration below.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh
bash scripts/build.sh build

if [ "${1:-}" = dranfel ]; then
    # Dranfel on a demo disk of recordings made now from a short stream that ffmpeg generates.
    work=$(mktemp -d "${TMPDIR:-/tmp}/dranfel-demo.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    echo "Making demo recordings in $work/disk ..."
    bash scripts/make_demo_recordings.sh "$work/disk" >/dev/null
    cli=build/dranfel/cli/dranfel-cli
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/dranfel/app/dranfel ] && [ "${KORVID_HEADLESS:-0}" != 1 ]; then
        cat <<TEXT

Dranfel is starting on a demo disk:
  top half:    $work/disk/REC  (the receiver's recordings, an .mp3 and a .mem file)
  bottom half: $work/disk/PC   (empty)
  Select rows in the top list and use File > Copy from Top to Bottom (or the toolbar), Move,
  Delete with the focus in a list, New Folder with the focus in a tree. The files are removed
  when Dranfel closes.

TEXT
        build/dranfel/app/dranfel "$work/disk/REC" "$work/disk/PC" || true
        exit 0
    fi
    # Headless: the same commands from a terminal.
    echo; echo "== dranfel-cli ls $work/disk/REC"
    "$cli" ls "$work/disk/REC"
    first=$(cd "$work/disk/REC" && ls ./*_#001_*.AVR | head -n 1 | sed 's|^\./||')
    echo; echo "== dranfel-cli cp: \"$first\" to $work/disk/PC"
    "$cli" cp "$work/disk/REC" "$work/disk/PC" "$first"
    "$cli" ls "$work/disk/PC"
    exit 0
fi
db=${1:-$root/build/samples/sample.ird}

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/korvid/app/korvid ] && [ "${KORVID_HEADLESS:-0}" != 1 ]; then
    sim=build/tools/receiver-sim/receiver-sim
    cli=build/korvid/cli/korvid-cli
    work=$(mktemp -d "${TMPDIR:-/tmp}/korvid-demo.XXXXXX")
    link=$work/receiver # always points at the pseudo-terminal of the simulator serving now
    if [ ! -f "$db" ]; then
        db=$work/sample.ird
        "$cli" build samples/sample.json "$db"
    fi
    # The simulated receiver is of the sample's family, so the database passes its version check.
    codes=(--buyer "$("$cli" info "$db" | sed -n 's/^Buyer code: *//p')"
           --model "$("$cli" info "$db" | sed -n 's/^Model code: *//p')")
    # A code file for the downloader page; codes FFFF at bytes 30 and 34 suit any receiver.
    head -c 65536 /dev/urandom >"$work/demo.mem"
    printf '\xff\xff\xff\xff\xff\xff' | dd of="$work/demo.mem" bs=1 seek=30 conv=notrunc status=none
    sim_loop() {
        # The receiver leads every exchange, so it has to know which one comes next: the database
        # from the PC, the database back to the PC, then a code file, and round again. A failed or
        # mismatched exchange is offered again.
        local kinds=(db-to-receiver db-from-receiver software) i=0
        while :; do
            local kind=${kinds[$i]} args=(--exchange "${kinds[$i]}" --connect-timeout-ms 86400000)
            case $kind in
            db-to-receiver) args+=("${codes[@]}" --out "$work/receiver.img") ;;
            db-from-receiver)
                if [ ! -s "$work/receiver.img" ]; then i=0; continue; fi
                args+=("${codes[@]}" --image "$work/receiver.img") ;;
            software) args+=(--out "$work/received-code.bin") ;;
            esac
            case $kind in
            db-to-receiver) echo "receiver-sim: waiting for a database (editor mode, Download DB)" ;;
            db-from-receiver) echo "receiver-sim: ready to send its database back (editor mode, Upload DB)" ;;
            software) echo "receiver-sim: waiting for a code file (downloader page, Download)" ;;
            esac
            rm -f "$work/path"
            "$sim" --pty "${args[@]}" >"$work/path" 2>>"$work/receiver-sim.log" &
            local pid=$!
            echo "$pid" >"$work/sim.pid"
            for _ in $(seq 100); do [ -s "$work/path" ] && break; sleep 0.05; done
            ln -sfn "$(head -n1 "$work/path")" "$link"
            if wait "$pid"; then
                echo "receiver-sim: $kind complete"
                i=$(((i + 1) % ${#kinds[@]}))
            fi
        done
    }
    sim_loop &
    loop_pid=$!
    stop_sim() {
        kill "$loop_pid" 2>/dev/null || true
        [ -s "$work/sim.pid" ] && kill "$(cat "$work/sim.pid")" 2>/dev/null || true
        rm -rf "$work"
    }
    trap stop_sim EXIT
    for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done

    cat <<TEXT

Korvid is starting with a simulated receiver as COM1 ($link).
  Sample database: $db
  1. Press "Goto Database Editor", then File > Open (or drop the file on the window) and open it.
  2. Press "Download DB": the database goes to the simulated receiver.
  3. Press "Upload DB" and choose a new .ird file: the receiver sends it back.
  4. Back on the downloader page ("Goto Software Downloader"), Open $work/demo.mem and press
     "Download": the code file goes to the same receiver.
  What the receiver got is kept in $work while Korvid runs.

TEXT
    KORVID_SERIAL_PORTS=$link build/korvid/app/korvid || true
    exit 0
fi

# Headless: the sample database goes to a simulated receiver on a pseudo-terminal and comes back.
cli=build/korvid/cli/korvid-cli
sim=build/tools/receiver-sim/receiver-sim
work=$(mktemp -d "${TMPDIR:-/tmp}/korvid-demo.XXXXXX")
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

if [ ! -f "$db" ]; then
    # No built sample: make the database from its readable source.
    echo "No $db; building the database from samples/sample.json"
    db=$work/sample.ird
    "$cli" build samples/sample.json "$db"
fi
"$cli" info "$db"
buyer=$("$cli" info "$db" | sed -n 's/^Buyer code: *//p')
model=$("$cli" info "$db" | sed -n 's/^Model code: *//p')

# Starts receiver-sim on a new pseudo-terminal with the given options; sets $port to its path.
start_sim() {
    : >"$work/path"
    "$sim" --pty --buyer "$buyer" --model "$model" "$@" >"$work/path" 2>>"$work/receiver-sim.log" &
    sim_pid=$!
    for _ in $(seq 100); do [ -s "$work/path" ] && break; sleep 0.05; done
    port=$(head -n1 "$work/path")
}
finish_sim() {
    wait "$sim_pid"
    sim_pid=
}

echo
echo "== Download DB: korvid-cli send-db to the simulated receiver"
start_sim --exchange db-to-receiver --out "$work/receiver.img"
export KORVID_SERIAL_PORTS=$port
"$cli" ports
"$cli" send-db "$db" --port COM1
finish_sim

echo
echo "== Upload DB: korvid-cli recv-db from the simulated receiver"
start_sim --exchange db-from-receiver --image "$work/receiver.img"
export KORVID_SERIAL_PORTS=$port
"$cli" recv-db "$work/back.ird" --port COM1
finish_sim
tail -n 2 "$work/receiver-sim.log"

echo
echo "== Round trip"
sha256sum "$db" "$work/back.ird" | sed "s|$work/||"
if cmp -s "$db" "$work/back.ird"; then
    echo "The database that came back is byte for byte the one that was sent."
else
    echo "The database that came back differs from the one that was sent:" >&2
    cmp "$db" "$work/back.ird" | head -n 5 >&2 || true
    exit 1
fi
