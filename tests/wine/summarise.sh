#!/usr/bin/env bash
# Counts what the Windows tests under Wine did, from the GoogleTest XML reports and the
# PASS/SKIP/FAIL lines of the scripted checks in one results directory:
#   summarise.sh RESULTS_DIR
# Prints how many cases ran, passed and failed, how many were skipped and why. A skip
# is never a pass. Exits 1 when a case failed or nothing ran.
set -euo pipefail
results="$1"
ran=0 failed=0 skipped=0
reasons=()
shopt -s nullglob
for xml in "$results"/*.xml; do
  program="$(basename "$xml" .xml)"
  while IFS= read -r line; do
    case "$line" in
      *'<testcase '*)
        name="$(sed -n 's/.*<testcase name="\([^"]*\)".*classname="\([^"]*\)".*/\2.\1/p' <<<"$line")"
        if [[ "$line" == *'result="skipped"'* ]]; then
          skipped=$((skipped + 1))
          pending_skip="$program $name"
        else
          ran=$((ran + 1))
          pending_skip=""
        fi
        ;;
      *'<skipped message="'*)
        message="$(sed -n 's/.*<skipped message="\([^"]*\)".*/\1/p' <<<"$line" |
          sed 's/&#x0A;/ /g; s/&apos;/'"'"'/g; s/&quot;/"/g; s/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g')"
        reasons+=("${pending_skip:-$program}: ${message#*.cpp:[0-9]* }")
        ;;
      *'<failure '*) failed=$((failed + 1)) ;;
    esac
  done <"$xml"
done
for report in "$results"/*.txt; do
  program="$(basename "$report" .txt)"
  while IFS= read -r line; do
    case "$line" in
      PASS\ *) ran=$((ran + 1)) ;;
      FAIL\ *) ran=$((ran + 1)) failed=$((failed + 1)) ;;
      SKIP\ *) skipped=$((skipped + 1)) reasons+=("$program: ${line#SKIP }") ;;
    esac
  done <"$report"
done
echo "Windows tests under Wine: $ran ran ($((ran - failed)) passed, $failed failed), $skipped skipped"
for reason in "${reasons[@]}"; do echo "  skipped: $reason"; done
[[ $failed -eq 0 && $ran -gt 0 ]]
