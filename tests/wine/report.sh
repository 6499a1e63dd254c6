# The report of a check script, which sources this file:
#   start_report RESULTS FILE  empties RESULTS/FILE and clears failed;
#   check OUTCOME WHAT         one PASS/SKIP/FAIL line to the report and the terminal;
#                              a FAIL sets failed=1, the script's exit status.
start_report() {
  mkdir -p "$1"
  report="$1/$2"
  : >"$report"
  failed=0
}

check() {
  echo "$1 $2" | tee -a "$report"
  [[ "$1" != FAIL ]] || failed=1
}
