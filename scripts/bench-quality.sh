#!/usr/bin/env bash
# What the engine's encodes are worth: a 12 s natural clip (photographs of
# Debian's python3-skimage, zoomed and panned, with grain, 320x240) encoded
# through marobex-engine.exe for each codec and pass mode, from Marobex's own
# job scripts with the window's default settings. For each case it prints the
# video stream's size against its aim, its SSIM, and how many bits FFmpeg by
# hand (the best command of the same format, same passes and keyframes)
# needs for the same SSIM; then how much longer the engine's best effort
# takes than the plain command the engine ran before. A benchmark, not a
# test: nothing fails on a number. Runs under Wine with build/ffmpeg/ffmpeg.exe,
# the FFmpeg the engine uses; SSIM and sizes are read with the native ffmpeg.
# Usage: scripts/bench-quality.sh [case...]   (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/win64
engine=$build/marobex-engine.exe
ffmpeg=$root/build/ffmpeg/ffmpeg.exe
work=$root/build/bench
for f in "$engine" "$ffmpeg"; do
  [ -f "$f" ] || { echo "bench-quality: $f is missing." >&2; exit 1; }
done
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null ||
  { echo "bench-quality: the native ffmpeg and ffprobe measure the results." >&2; exit 1; }
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
dir=$WINEPREFIX/drive_c/mbq
win='C:\mbq'
mkdir -p "$dir" "$work"
wineserver -p >/dev/null 2>&1 &
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
sleep 1
# The engine finds FFmpeg on the PATH it is given.
export WINEPATH="Z:${root//\//\\}\\build\\ffmpeg"
wff() { "$root/cmake/wine-run.sh" "$ffmpeg" -hide_banner -nostdin -v error "$@"; }

# The clip: four photographs, three seconds each.
if [ ! -f "$dir/clip.avi" ]; then
  photos=$work/photos/usr/lib/python3/dist-packages/skimage/data
  if [ ! -d "$photos" ]; then
    (cd "$work" && apt-get download python3-skimage >/dev/null 2>&1 && dpkg-deb -x python3-skimage_*.deb photos) ||
      { echo "bench-quality: cannot fetch python3-skimage for its photographs." >&2; exit 1; }
  fi
  inputs=() filters="" i=0
  for p in coffee.png astronaut.png chelsea.png rocket.jpg; do
    inputs+=(-loop 1 -framerate 25 -t 3 -i "$photos/$p")
    filters+="[$i:v]scale=960:720:force_original_aspect_ratio=increase,crop=960:720,"
    filters+="zoompan=z='1+0.0015*on':x='iw/2-(iw/zoom/2)+on*1.5':y='ih/2-(ih/zoom/2)':d=75:s=320x240:fps=25,"
    filters+="noise=alls=6:allf=t,format=yuv420p,setsar=1[v$i];"
    i=$((i + 1))
  done
  ffmpeg -hide_banner -v error -y "${inputs[@]}" -filter_complex "${filters}[v0][v1][v2][v3]concat=n=4:v=1:a=0[v]" \
    -map '[v]' -frames:v 300 -c:v huffyuv -pix_fmt yuv422p "$dir/clip.avi"
fi
frames=300 seconds=12

# A golden job of Marobex with the clip as source, the result in $dir, and
# the codec record's fields changed (byte offset=value ...).
job() { # golden-job out-name target field...
  python3 - "$root/tests/data/jobs/expected/$1" "$dir/$2" "$win\\$3" "${@:4}" <<'EOF'
import base64, re, struct, sys
src, out, target, fields = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
text = open(src, newline='').read()
text = re.sub(r'VirtualDub\.Open\("[^"]*"', 'VirtualDub.Open("C:\\\\\\\\mbq\\\\\\\\clip.avi"', text)
text = re.sub(r'VirtualDub\.SaveAVI\("[^"]*"\)', lambda m: 'VirtualDub.SaveAVI("%s")' % target.replace('\\', '\\\\'), text)
def state(m):
    b = bytearray(base64.b64decode(m.group(2) + '=' * (-len(m.group(2)) % 4)))
    for f in fields:
        at, v = f.split('=')
        b[int(at):int(at) + 4] = struct.pack('<i', int(v))
    return 'SetCompData(%s,"%s")' % (m.group(1), base64.b64encode(bytes(b)).decode().rstrip('='))
text = re.sub(r'SetCompData\((\d+),"([^"]*)"\)', state, text)
text = re.sub(r'SetDivX\((\d+),', lambda m: 'SetDivX(%s,' % next((f.split('=')[1] for f in fields if f.startswith('kbps=')), m.group(1)), text)
open(out, 'w', newline='').write(text)
EOF
}
run_engine() { "$root/cmake/wine-run.sh" "$engine" /r /x "/s$win\\$1" >/dev/null 2>&1 || true; }
vbytes() { ffprobe -v error -select_streams v -show_entries packet=size -of csv=p=0 "$1" | awk '{s+=$1} END {print s+0}'; }
# Frames are paired by their place in the file: an AVI with B-frames carries
# no presentation times, and pairing by the times FFmpeg guesses for it
# compares neighbouring frames (about 0.03 less SSIM on this clip).
ssim() { ffmpeg -hide_banner -i "$1" -i "$dir/clip.avi" \
  -lavfi '[0:v]setpts=N/(25*TB)[a];[1:v]setpts=N/(25*TB),format=yuv420p[b];[a][b]ssim' -f null - 2>&1 |
  sed -n 's/.*All:\([0-9.]*\).*/\1/p'; }

# FFmpeg by hand: the best options of the format, at bitrate $2 (bit/s).
hand() { # name bitrate passes codec-options...
  local name=$1 rate=$2 passes=$3; shift 3
  if [ "$passes" = 1 ]; then
    wff -y -i "$win\\clip.avi" -an "$@" -b:v "$rate" "$win\\hand_$name.avi"
  else
    wff -y -i "$win\\clip.avi" -an "$@" -b:v "$rate" -pass 1 -passlogfile "$win\\hand_$name" -f null -
    wff -y -i "$win\\clip.avi" -an "$@" -b:v "$rate" -pass 2 -passlogfile "$win\\hand_$name" "$win\\hand_$name.avi"
  fi
}
# The bits by hand for the engine's SSIM: three encodes around its bitrate,
# log(bits) interpolated over SSIM.
hand_bits_for() { # name engine-ssim engine-bitrate passes options...
  local name=$1 target=$2 rate=$3 passes=$4; shift 4
  local pts=""
  for f in 0.8 1.0 1.25; do
    local r; r=$(awk -v r="$rate" -v f="$f" 'BEGIN { printf "%d", r * f }')
    hand "$name" "$r" "$passes" "$@"
    pts+="$(vbytes "$dir/hand_$name.avi") $(ssim "$dir/hand_$name.avi");"
  done
  awk -v t="$target" -v p="$pts" 'BEGIN {
    n = split(p, a, ";"); k = 0
    for (i = 1; i < n; i++) { split(a[i], v, " "); b[++k] = log(v[1]); s[k] = v[2] }
    lo = 1; hi = 2; if (t > s[2]) { lo = 2; hi = 3 }
    x = b[lo] + (b[hi] - b[lo]) * (t - s[lo]) / (s[hi] - s[lo]); printf "%d", exp(x) }'
}

best_mpeg4=(-c:v mpeg4 -mbd rd -trellis 1 -cmp 2 -subcmp 2 -flags +mv4+aic -mpv_flags +qp_rd)
# The hand command has the MPEG-4 tools the DivX 5 job's record asks for:
# B-frames (the record's field at byte 68) and quarter pixel (byte 84).
divx5_tools() { # job-file
  python3 - "$1" <<'PY'
import base64, re, struct, sys
m = re.search(r'SetCompData\(\d+,"([^"]*)"\)', open(sys.argv[1]).read())
b = base64.b64decode(m.group(1) + '=' * (-len(m.group(1)) % 4))
field = lambda at: struct.unpack_from('<i', b, at)[0]
print(('-bf 2 ' if field(68) else '') + '-flags +mv4+aic' + ('+qpel' if field(84) else ''))
PY
}
best_msmpeg4=(-c:v msmpeg4 -mbd rd -trellis 1 -cmp 2 -subcmp 2)
kb600=600000
printf '%-28s %10s %10s %8s %7s %9s\n' case aim_bytes video_B error SSIM bits_vs_hand

report() { # case aim result-file passes hand-options...
  local name=$1 aim=$2 file=$3 passes=$4; shift 4
  local got s rate hb
  [ -s "$file" ] || { echo "$name: the engine wrote nothing (see $file.log)"; return 0; }
  got=$(vbytes "$file"); s=$(ssim "$file")
  rate=$(awk -v b="$got" -v t="$seconds" 'BEGIN { printf "%d", b * 8 / t }')
  hb=$(hand_bits_for "$name" "$s" "$rate" "$passes" "$@")
  awk -v n="$name" -v a="$aim" -v g="$got" -v s="$s" -v h="$hb" \
    'BEGIN { printf "%-28s %10d %10d %+7.1f%% %7.4f %+8.1f%%\n", n, a, g, (g / a - 1) * 100, s, (g / h - 1) * 100 }'
}
want() { [ $# -eq 0 ] || [[ " $* " == *" $case "* ]]; }
cases=("$@")
aim600=$((kb600 * seconds / 8))

case=xvid_2pass_size; if want "${cases[@]}"; then
  # XviD: desired size 879 KB, two passes (the desired size at byte 8).
  job xvid_2pass/jobpass1.vcf x1.vcf x_firstpass.avi 8=879; job xvid_2pass/jobpass2.vcf x2.vcf x.avi 8=879
  run_engine x1.vcf; run_engine x2.vcf
  aim=$((879 * 1024 - 5762 - frames * 49 / 2))
  report $case $aim "$dir/x.avi" 2 "${best_mpeg4[@]}" -g 300 -lumi_mask 0.1 -dark_mask 0.1
fi
case=divx5_2pass; if want "${cases[@]}"; then
  job divx5_2pass/jobpass1.vcf d51.vcf d5_firstpass.avi 4=$kb600; job divx5_2pass/jobpass2.vcf d52.vcf d5_temp.avi 4=$kb600
  run_engine d51.vcf; run_engine d52.vcf
  report $case $aim600 "$dir/d5_temp.avi" 2 "${best_mpeg4[@]}" -g 250 -qmin 2 -qmax 12 $(divx5_tools "$dir/d52.vcf")
fi
case=divx4_2pass; if want "${cases[@]}"; then
  job divx4_2pass/jobpass1.vcf d41.vcf d4_firstpass.avi 0=$kb600; job divx4_2pass/jobpass2.vcf d42.vcf d4.avi 0=$kb600
  run_engine d41.vcf; run_engine d42.vcf
  report $case $aim600 "$dir/d4.avi" 2 "${best_mpeg4[@]}" -g 300 -qmin 2 -qmax 12
fi
case=divx4_3pass_size; if want "${cases[@]}"; then
  # The run driver's recalculation between the second and third pass:
  # new = 600 x 879 / (KB of the second pass's file), its fraction cut off.
  job divx4_3pass/jobpass1.vcf t1.vcf t_firstpass.avi 0=$kb600; job divx4_3pass/jobpass2.vcf t2.vcf t.avi 0=$kb600
  run_engine t1.vcf; run_engine t2.vcf
  first=$(( $(stat -c %s "$dir/t.avi") / 1024 ))
  new=$((600 * 879 / first))
  job divx4_3pass/jobpass2.vcf t3.vcf t.avi 0=$((new * 1000)); run_engine t3.vcf
  echo "  divx4 3 pass: second pass $first KB, third pass at $new kbit/s, file $(( $(stat -c %s "$dir/t.avi") / 1024 )) KB against 879 KB"
  report $case $((new * 1000 * seconds / 8)) "$dir/t.avi" 2 "${best_mpeg4[@]}" -g 300 -qmin 2 -qmax 12
fi
case=divx3_2pass; if want "${cases[@]}"; then
  job divx3_2pass/jobpass1.vcf n1.vcf n_temp.avi; job divx3_2pass/jobpass2.vcf n2.vcf n_temp.avi kbps=600
  # Nandub's analysis statistics go to C:\Divx3stats.stats, the second pass reads them there.
  run_engine n1.vcf; run_engine n2.vcf
  report $case $aim600 "$dir/n_temp.avi" 2 "${best_msmpeg4[@]}" -g 10 -qmin 2 -qmax 16
fi
for c in divx5 divx4 xvid; do
  case=${c}_1pass; want "${cases[@]}" || continue
  off=4; [ $c = divx4 ] && off=0
  job ${c}_1pass/jobpass.vcf ${c}1.vcf ${c}1.avi $off=$kb600; run_engine ${c}1.vcf
  g=300
  q=(-qmin 2 -qmax 12); [ $c = xvid ] && q=()
  [ $c = divx5 ] && q+=($(divx5_tools "$dir/${c}1.vcf"))
  report $case $aim600 "$dir/${c}1.avi" 1 "${best_mpeg4[@]}" -g $g "${q[@]}"
done

case=speed; if want "${cases[@]}"; then
  # Time of a two-pass DivX 5 at 600 kbit/s: the plain command, FFmpeg's best
  # by hand, and the engine's highest effort. Best of two.
  timed() { local best=999 s e t; for _ in 1 2; do s=$(date +%s.%N); hand speed $kb600 2 "$@"; e=$(date +%s.%N)
    t=$(awk -v s="$s" -v e="$e" 'BEGIN { print e - s }'); best=$(awk -v a="$best" -v b="$t" 'BEGIN { print (b < a) ? b : a }'); done; echo "$best"; }
  plain=$(timed -c:v mpeg4 -g 250 -qmin 2 -qmax 12)
  good=$(timed "${best_mpeg4[@]}" -g 250 -qmin 2 -qmax 12)
  top=$(timed "${best_mpeg4[@]}" -last_pred 2 -dia_size 2 -g 250 -qmin 2 -qmax 12)
  awk -v p="$plain" -v g="$good" -v t="$top" 'BEGIN { printf "speed, two passes: plain %.1f s, default effort %.1f s (%+.0f%%), highest effort %.1f s (%+.0f%%)\n", p, g, (g / p - 1) * 100, t, (t / p - 1) * 100 }'
fi
