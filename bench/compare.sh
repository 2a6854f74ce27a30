#!/usr/bin/env bash
# Measures zent-cli against the decoders' own tools and against zent_floor (the decoder
# libraries straight into a file), then its jobs, slicing of one long file, and peak memory.
# Prints a Markdown table. Run it on a quiet machine, on the release build:
#   cmake --preset release -DZENT_BUILD_BENCH=ON && cmake --build --preset release --target zent-cli zent_floor
#   bench/compare.sh            # WORK=dir keeps the generated audio; RUNS=n timed rounds
#   ONLY=output bench/compare.sh   # only the other formats, rates and channels (or: tools,
#                                  # jobs, flacjobs, long, memory; several with commas)
#   KINDS="flac opus" bench/compare.sh   # only these sources (of cbr vbr ogg opus flac)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps" --bench >/dev/null

build=${BUILD:-$root/build/release}
cli=$build/cli/zent-cli
floor=$build/bench/zent_floor
if [ ! -x "$cli" ] || [ ! -x "$floor" ]; then
    (cd "$root" && cmake --preset release -DZENT_BUILD_BENCH=ON >/dev/null &&
        cmake --build --preset release --target zent-cli zent_floor)
fi
runs=${RUNS:-5}
only=${ONLY:-tools,output,jobs,flacjobs,long,memory}
kinds=${KINDS:-cbr vbr ogg opus flac}
# The FLAC groups: 16-bit stereo, and one 24-bit 5.1 file.
tool_kinds=$kinds
[[ " $kinds " == *" flac "* ]] && tool_kinds="$kinds flac24"
wanted() { # group
    [[ ",$only," == *",$1,"* ]]
}
work=${WORK:-$(mktemp -d /tmp/zent-bench.XXXXXX)}
rm -rf "$work/json"
mkdir -p "$work/audio" "$work/out" "$work/json"
cd "$work"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
short=180
long=1800

# Noise under a tone: the encoders work as hard as on music, unlike on a pure tone.
make_wav() { # seconds file
    [ -f "$2" ] || sox -q -n -r 44100 -c 2 -b 16 "$2" synth "$1" pinknoise vol 0.4 \
        synth "$1" sine mix 300-3000
}
encode() { # wav kind target
    [ -f "$3" ] && return
    case $2 in
    cbr) lame --quiet -b 192 "$1" "$3" ;;
    vbr) lame --quiet -V 2 "$1" "$3" ;;
    ogg) oggenc -Q -q 5 "$1" -o "$3" ;;
    opus) opusenc --quiet --bitrate 128 "$1" "$3" ;;
    flac | flac24) flac -s -5 "$1" -o "$3" ;;
    esac
}
extension() { # kind
    case $1 in ogg | opus | flac) echo "$1" ;; flac24) echo flac ;; *) echo mp3 ;; esac
}
echo "generating audio in $work/audio" >&2
# The 30-minute files only for the groups that use them.
need_long=false
if wanted long || wanted memory; then need_long=true; fi
make_wav $short audio/short.wav &
$need_long && make_wav $long audio/long.wav &
# 24-bit 5.1 (FLAC's order: FL FR FC LFE and the two surrounds), a different noise on each.
[[ " $kinds " != *" flac "* ]] || [ -f audio/surround.wav ] || sox -q -n -r 48000 -c 6 -b 24 audio/surround.wav synth $short \
    pinknoise pinknoise pinknoise brownnoise pinknoise pinknoise vol 0.4 &
wait
for kind in $kinds; do
    ext=$(extension $kind)
    encode audio/short.wav $kind audio/$kind-0.$ext &
    $need_long && encode audio/long.wav $kind audio/long-$kind.$ext &
    wait
    # Eight copies: the same work each, read from the page cache like the others' input.
    for i in 1 2 3 4 5 6 7; do
        [ -f audio/$kind-$i.$ext ] || cp audio/$kind-0.$ext audio/$kind-$i.$ext
    done
done
[[ " $kinds " != *" flac "* ]] || encode audio/surround.wav flac24 audio/flac24-0.flac

# A group's commands take turns, one run each per round, so that a change in the machine's
# speed during the group (a shared virtual machine drifts by 10 % and more) hits every command
# alike; the first round only warms up. The out directory is emptied before each timed run, and
# every tool writes a file of its own per source, as zent-cli does.
measure() { # name command...
    local name=$1
    shift
    for round in $(seq 0 "$runs"); do
        hyperfine --style none --runs 1 --prepare "rm -f out/*" \
            --export-json "json/$name.$round.json" "$@" >/dev/null 2>&1
    done
    rm -f "json/$name.0.json"
}
loop() { # tool-template files... -> a shell loop converting each file
    local template=$1
    shift
    printf 'for f in %s; do %s; done' "$*" "$template"
}

for kind in $tool_kinds; do
    wanted tools || break
    ext=$(extension $kind)
    files=$(ls audio/$kind-*.$ext | tr '\n' ' ')
    commands=(
        -n "zent-cli -j1" "$cli -q -j1 -o out $files"
        -n "floor" "$(loop "$floor \$f out/\${f##*/}.wav" $files)"
        -n "ffmpeg" "$(loop 'ffmpeg -v error -y -i $f out/${f##*/}.wav' $files)"
        -n "ffmpeg -threads 1" "$(loop 'ffmpeg -v error -y -threads 1 -i $f out/${f##*/}.wav' $files)"
    )
    # Debian's sox reads no Opus.
    [ $kind = opus ] || commands+=(-n "sox" "$(loop 'sox $f out/${f##*/}.wav' $files)")
    if [ $kind = ogg ]; then
        commands+=(-n "oggdec" "$(loop 'oggdec -Q -o out/${f##*/}.wav $f' $files)")
    elif [ $kind = opus ]; then
        commands+=(-n "opusdec" "$(loop 'opusdec --quiet --rate 48000 $f out/${f##*/}.wav' $files)")
    elif [[ $kind == flac* ]]; then
        commands+=(-n "flac -d" "$(loop 'flac -d -s -f -o out/${f##*/}.wav $f' $files)")
    else
        commands+=(-n "mpg123 -w" "$(loop 'mpg123 -q -w out/${f##*/}.wav $f' $files)")
    fi
    echo "timing $(echo $files | wc -w) x 3 min $kind" >&2
    measure "tools-$kind" "${commands[@]}"
done

# Other outputs: each beside the plain conversion of the same files, ffmpeg and sox writing
# the same format, rate and channels.
for kind in cbr ogg; do
    wanted output || break
    ext=$(extension $kind)
    files=$(ls audio/$kind-*.$ext | tr '\n' ' ')
    for output in s24 f32 16k-mono; do
        case $output in
        s24) ours="--format s24" ffmpeg_args="-c:a pcm_s24le" sox_args="-b 24" ;;
        f32) ours="--format f32" ffmpeg_args="-c:a pcm_f32le" sox_args="-e floating-point -b 32" ;;
        16k-mono) ours="--rate 16000 --channels 1" ffmpeg_args="-ar 16000 -ac 1" sox_args="-r 16000 -c 1" ;;
        esac
        echo "timing 8 x 3 min $kind as $output" >&2
        measure "output-$kind-$output" \
            -n "zent-cli -j1" "$cli -q -j1 -o out $files" \
            -n "zent-cli -j1 $ours" "$cli -q -j1 $ours -o out $files" \
            -n "ffmpeg $ffmpeg_args" "$(loop "ffmpeg -v error -y -i \$f $ffmpeg_args out/\${f##*/}.wav" $files)" \
            -n "sox $sox_args" "$(loop "sox \$f $sox_args out/\${f##*/}.wav" $files)"
    done
done

all=$(ls audio/cbr-*.mp3 audio/vbr-*.mp3 audio/ogg-*.ogg 2>/dev/null | tr '\n' ' ' || true)
wanted jobs && echo "timing jobs" >&2
jobs=(1 2 4 "$(nproc)")
job_commands=()
for j in $(printf '%s\n' "${jobs[@]}" | sort -un); do
    job_commands+=(-n "zent-cli -j$j" "$cli -q -j$j -o out $all")
done
wanted jobs && measure jobs "${job_commands[@]}"
flacs=$(ls audio/flac-*.flac 2>/dev/null | tr '\n' ' ' || true)
wanted flacjobs && echo "timing FLAC jobs" >&2
wanted flacjobs && measure jobs-flac -n "zent-cli -j1" "$cli -q -j1 -o out $flacs" \
    -n "zent-cli -j2" "$cli -q -j2 -o out $flacs"

wanted long && echo "timing one 30-minute file" >&2
for kind in $kinds; do
    wanted long || break
    ext=$(extension $kind)
    source=audio/long-$kind.$ext
    long_commands=(-n "ffmpeg -threads 1" "ffmpeg -v error -y -threads 1 -i $source -f wav out/long.wav")
    for j in $(printf '%s\n' 1 2 "$(nproc)" | sort -un); do
        long_commands+=(-n "zent-cli -j$j" "$cli -q -j$j -o out $source")
    done
    if [ $kind = ogg ]; then
        long_commands+=(-n "oggdec" "oggdec -Q -o out/long.wav $source")
    elif [ $kind = opus ]; then
        long_commands+=(-n "opusdec" "opusdec --quiet --rate 48000 $source out/long.wav")
    elif [ $kind = flac ]; then
        long_commands+=(-n "flac -d" "flac -d -s -f -o out/long.wav $source")
        # What the check of a file in slices adds: its data read back and hashed once.
        long_commands+=(-n "zent-cli -j1, then md5sum of its output"
            "$cli -q -j1 -o out $source && md5sum out/*.wav")
    else
        long_commands+=(-n "mpg123 -w" "mpg123 -q -w out/long.wav $source")
    fi
    measure "long-$kind" "${long_commands[@]}"
done

peak() { # file -> max resident set in KiB
    rm -f out/*
    /usr/bin/time -f %M "$cli" -q -j1 -o out "$1" 2>&1 >/dev/null | tail -1
}
mem_short_mp3=0 mem_long_mp3=0 mem_short_ogg=0 mem_long_ogg=0
if wanted memory; then
    echo "peak memory" >&2
    mem_short_mp3=$(peak audio/cbr-0.mp3)
    mem_long_mp3=$(peak audio/long-cbr.mp3)
    mem_short_ogg=$(peak audio/ogg-0.ogg)
    mem_long_ogg=$(peak audio/long-ogg.ogg)
fi
rm -f out/*

python3 - "$work/json" "$only" "$mem_short_mp3" "$mem_long_mp3" "$mem_short_ogg" "$mem_long_ogg" <<'PY'
import json, os, statistics, sys
folder = sys.argv[1]
only = sys.argv[2].split(",")
mem = [int(v) for v in sys.argv[3:7]]

cpu = {}

def medians(name):
    wall, used = {}, {}
    rounds = [f for f in os.listdir(folder) if f.startswith(name + ".")]
    for round_file in rounds:
        with open(os.path.join(folder, round_file)) as f:
            for r in json.load(f)["results"]:
                wall.setdefault(r["command"], []).append(r["median"])
                used.setdefault(r["command"], []).append(r["user"] + r["system"])
    for command, times in used.items():
        cpu[(name, command)] = sum(times) / len(times)
    return {command: statistics.median(times) for command, times in wall.items()}

print("| measure | median wall time | ratio | CPU time (mean) |")
print("|---|---|---|---|")
for kind, label in (("cbr", "MP3 CBR"), ("vbr", "MP3 VBR"), ("ogg", "Ogg Vorbis"),
                    ("opus", "Ogg Opus"), ("flac", "FLAC 16-bit stereo"),
                    ("flac24", "FLAC 24-bit 5.1")):
    if "tools" not in only:
        break
    m = medians("tools-" + kind)
    if not m:
        continue
    base = m["floor"]
    count = "1" if kind == "flac24" else "8"
    for command, seconds in sorted(m.items(), key=lambda item: item[1]):
        note = "1.00 (floor)" if command == "floor" else f"{seconds / base:.2f} x floor"
        print(f"| {count} x 3 min {label}: `{command}` | {seconds:.2f} s | {note} | "
              f"{cpu[('tools-' + kind, command)]:.2f} s |")
    ours, floor_cpu = cpu[("tools-" + kind, "zent-cli -j1")], cpu[("tools-" + kind, "floor")]
    print(f"| {label}: zent-cli -j1 against the floor | | "
          f"{(m['zent-cli -j1'] / base - 1) * 100:+.1f} % wall (target within 5 %) | "
          f"{(ours / floor_cpu - 1) * 100:+.1f} % CPU |")
for kind, label in (("cbr", "MP3 CBR"), ("ogg", "Ogg Vorbis")):
    if "output" not in only:
        break
    for output in ("s24", "f32", "16k-mono"):
        group = f"output-{kind}-{output}"
        m = medians(group)
        plain = m["zent-cli -j1"]
        for command, seconds in sorted(m.items(), key=lambda item: item[1]):
            print(f"| 8 x 3 min {label}: `{command}` | {seconds:.2f} s | "
                  f"{seconds / plain:.2f} x plain | {cpu[(group, command)]:.2f} s |")
        ours = next(c for c in m if c.startswith("zent-cli -j1 -"))
        rivals = [c for c in m if not c.startswith("zent-cli")]
        print(f"| {label} {output}: against the plain conversion | | "
              f"{m[ours] / plain:.2f} x (target 1.3 x); fastest other tool "
              f"{min(m[c] for c in rivals) / m[ours]:.2f} x our time | |")
m = medians("jobs") if "jobs" in only else {}
one = m.get("zent-cli -j1", 1.0)
for command, seconds in m.items():
    print(f"| 24 files (MP3 CBR, VBR, Ogg): `{command}` | {seconds:.2f} s | "
          f"{one / seconds:.2f} x -j1 | {cpu[('jobs', command)]:.2f} s |")
m = medians("jobs-flac") if "flacjobs" in only else {}
for command, seconds in m.items():
    print(f"| 8 x 3 min FLAC: `{command}` | {seconds:.2f} s | "
          f"{m['zent-cli -j1'] / seconds:.2f} x -j1 | {cpu[('jobs-flac', command)]:.2f} s |")
for kind, label in (("cbr", "MP3 CBR"), ("vbr", "MP3 VBR"), ("ogg", "Ogg Vorbis"),
                    ("opus", "Ogg Opus"), ("flac", "FLAC")):
    if "long" not in only:
        break
    m = medians("long-" + kind)
    if not m:
        continue
    j1 = m["zent-cli -j1"]
    for command, seconds in sorted(m.items(), key=lambda item: item[1]):
        print(f"| one 30 min {label}: `{command}` | {seconds:.2f} s | {j1 / seconds:.2f} x -j1 | "
              f"{cpu[('long-' + kind, command)]:.2f} s |")
if "memory" in only:
  print(f"| peak memory, MP3 3 min / 30 min | {mem[0] / 1024:.1f} / {mem[1] / 1024:.1f} MiB | "
      f"{mem[1] / mem[0]:.2f} | |")
  print(f"| peak memory, Ogg 3 min / 30 min | {mem[2] / 1024:.1f} / {mem[3] / 1024:.1f} MiB | "
      f"{mem[3] / mem[2]:.2f} | |")
PY
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-), load (1, 5, 15 min) before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
