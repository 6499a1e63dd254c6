#!/usr/bin/env bash
# The manual pages render without a warning from groff (a misspelt macro, an unknown
# escape, a broken font change) and each names itself.
set -euo pipefail
status=0
for page in "$@"; do
  warnings="$(groff -man -ww -z "$page" 2>&1)"
  if [[ -n "$warnings" ]]; then
    echo "$page: $warnings"
    status=1
  fi
  name="$(basename "$page")"
  if ! grep -q "^\.TH ${name%.*} ${name##*.} " <(sed 's/^\.TH \([^ ]*\)/.TH \L\1/' "$page"); then
    echo "$page: its .TH line does not name ${name%.*}(${name##*.})"
    status=1
  fi
  if ! grep -q '^\.SH NAME' "$page"; then
    echo "$page: no NAME section"
    status=1
  fi
done
exit "$status"
