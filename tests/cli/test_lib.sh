# Shared by the zentrope-cli end-to-end tests: arguments, a scratch folder to run in, and
# failure counting. Source it first; end the test with `finish`.
# Usage of a test: TEST.sh ZENTROPE_CLI DATA_FOLDER
set -u
cli=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

finish() {
  exit $((failures > 0))
}
