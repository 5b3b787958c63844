# Turns the benchmarks' CSV (medians of repetitions) into one table: each
# decode ours beside stb_image, then the test pictures, all also as
# multiples of one frame copy, with the target of each ratio.
BEGIN { FS = "," }
/_median"?,/ {
  name = $1
  gsub(/"/, "", name)
  sub(/_median$/, "", name)
  t[name] = $4 + 0  # CPU time, microseconds
  if (name ~ /^decode\/.*\/ours$/) { c = name; sub(/^decode\//, "", c); sub(/\/ours$/, "", c); cases[++n] = c }
}
function target(ratio, limit) { return sprintf("%s %.2f", ratio <= limit ? "met   " : "MISSED", limit) }
END {
  copy = t["copy/frame"]
  printf "%-30s %9s %9s %8s %9s %9s  %s\n", "case", "ours us", "stb us", "ours/stb", "ours/copy", "stb/copy", "target ours/stb"
  for (i = 1; i <= n; ++i) {
    c = cases[i]
    o = t["decode/" c "/ours"]
    s = t["decode/" c "/stb"]
    limit = c ~ /-rle-/ ? 0.5 : 1.0
    printf "%-30s %9.0f %9.0f %8.2f %9.1f %9.1f  %s\n", c, o, s, o / s, o / copy, s / copy, target(o / s, limit)
  }
  printf "\n%-30s %9s %9s  %s\n", "case", "us", "x copy", "target x copy"
  printf "%-30s %9.0f %9.2f\n", "one frame copy", copy, 1
  printf "%-30s %9.0f %9.2f  %s\n", "alpha test, file to memory", t["alpha/whole"], t["alpha/whole"] / copy, target(t["alpha/whole"] / copy, 6)
  printf "%-30s %9.0f %9.2f\n", "  of which the load", t["alpha/load"], t["alpha/load"] / copy
  printf "%-30s %9.0f %9.2f  %s\n", "PlaceImageInFrame", t["alpha/place"], t["alpha/place"] / copy, target(t["alpha/place"] / copy, 1.2)
  printf "%-30s %9.0f %9.2f  %s\n", "FillColorBars", t["bars/fill"], t["bars/fill"] / copy, target(t["bars/fill"] / copy, 1)
  printf "%-30s %9.0f %9.2f  %s\n", "SendColorBars, null device", t["bars/send/null"], t["bars/send/null"] / copy, target(t["bars/send/null"] / copy, 1)
  own = t["bars/send/sim"] - t["bars/sim-rows"]
  printf "%-30s %9.0f %9.2f\n", "SendColorBars, simulator", t["bars/send/sim"], t["bars/send/sim"] / copy
  printf "%-30s %9.0f %9.2f\n", "  the simulator's 576 calls", t["bars/sim-rows"], t["bars/sim-rows"] / copy
  printf "%-30s %9.0f %9.2f  %s\n", "  SendColorBars less those", own, own / copy, target(own / copy, 1)
}
