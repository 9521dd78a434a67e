#!/usr/bin/env bash
# The checker's manual page names exactly the options and the exit statuses its --help names.
#   tests/package/manPageTest.sh CHECKER MAN_PAGE
set -euo pipefail
help=$("$1" --help)
page=$(sed 's/\\-/-/g' "$2")
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT

# Options: the names on the option lines of --help, and on the lines after .TP in OPTIONS.
sed -n '/^Options:/,/^$/p' <<<"$help" | grep -E '^  -' | grep -oE '(^|[ ,])--?[A-Za-z0-9][A-Za-z0-9-]*' |
    tr -d ' ,' | sort -u >"$t/help-options"
sed -n '/^\.SH OPTIONS/,/^\.SH /p' <<<"$page" | sed -n '/^\.TP/{n;p}' |
    grep -oE '(^|[ "])--?[A-Za-z0-9][A-Za-z0-9-]*' | tr -d ' "' | sort -u >"$t/page-options"
# Exit statuses: each number before its meaning in the help's paragraph, and each .B number in EXIT
# STATUS.
tr '\n' ' ' <<<"$help" | sed -n 's/.*Exit status: //p' | grep -oE '(^|[;:] )[0-9]+ ' | tr -dc '0-9\n' |
    sort -n >"$t/help-status"
sed -n '/^\.SH EXIT STATUS/,/^\.SH /p' <<<"$page" | sed -n 's/^\.B \([0-9]\+\)$/\1/p' | sort -n >"$t/page-status"

[ -s "$t/help-options" ] && [ -s "$t/help-status" ] || { echo "nothing read from --help" >&2; exit 1; }
diff "$t/help-options" "$t/page-options" || { echo "the options differ (<: --help, >: manual page)" >&2; exit 1; }
diff "$t/help-status" "$t/page-status" || { echo "the exit statuses differ (<: --help, >: manual page)" >&2; exit 1; }
