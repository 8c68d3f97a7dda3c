# What every stage of scripts/test.d shares: its count of passed and failed
# checks, its time limits, and its last line, "N passed, N failed (N s)",
# which the CI reads. Sourced after common.sh, not run.
#
# A stage may run parts of itself as processes of their own, each under a
# time limit (stage_budget): with stage_counts FOLDER the counts live in
# that folder, so every part adds to the same two numbers.

TG_STAGE_NAME=${TG_STAGE_NAME:-$(basename "$0") stage}
stage_passed=0 stage_failed=0
_stage_folder=${TG_STAGE_COUNTS:-}

_stage_load() {
  [ -n "$_stage_folder" ] || return 0
  stage_passed=$(cat "$_stage_folder/passed" 2>/dev/null || echo 0)
  stage_failed=$(cat "$_stage_folder/failed" 2>/dev/null || echo 0)
}
_stage_save() {
  [ -n "$_stage_folder" ] || return 0
  echo "$stage_passed" >"$_stage_folder/passed"
  echo "$stage_failed" >"$_stage_folder/failed"
}

# stage_counts FOLDER: keeps the counts in FOLDER, for the parts run by
# stage_budget (they find it in TG_STAGE_COUNTS) and for the last line.
stage_counts() {
  _stage_folder=$1
  export TG_STAGE_COUNTS=$1
  _stage_load
  _stage_save
}
_stage_load

# pass WHAT, fail WHAT: one check, counted and said ("ok - ", "FAIL - ").
pass() { _stage_load; stage_passed=$((stage_passed + 1)); _stage_save; echo "ok - $*"; }
fail() { _stage_load; stage_failed=$((stage_failed + 1)); _stage_save; echo "FAIL - $*"; }
# check WHAT COMMAND...: passes when the command succeeds.
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

# stage_skip WHY...: the stage cannot run here (its tools cannot be
# installed): it says so and counts as skipped (exit 0), also from a part
# run by stage_budget.
stage_skip() {
  if [ -n "${_TG_STAGE_PART:-}" ] && [ -n "${TG_STAGE_COUNTS:-}" ]; then echo "$*" >"$TG_STAGE_COUNTS/skipped"; exit 0; fi
  echo "$TG_STAGE_NAME skipped: $*"
  exit 0
}

# stage_budget [--output FILE] WHAT SECONDS COMMAND...: runs the command
# under a time limit of its own (its output to FILE if given) and says how
# long it took. A run out of time counts as a failure, and so does a
# non-zero status while no failure has been counted. A part that skipped
# ends the stage here. Returns the command's status.
stage_budget() {
  local output=
  if [ "$1" = --output ]; then output=$2; shift 2; fi
  local what=$1 budget=$2 start=$SECONDS status
  shift 2
  if [ -n "$output" ]; then
    _TG_STAGE_PART=1 timeout -k 10 "$budget" "$@" >"$output" 2>&1
  else
    _TG_STAGE_PART=1 timeout -k 10 "$budget" "$@"
  fi
  status=$?
  tg_say "$TG_STAGE_NAME, $what: $((SECONDS - start)) s"
  _stage_load
  if [ -n "$_stage_folder" ] && [ -f "$_stage_folder/skipped" ]; then
    echo "$TG_STAGE_NAME skipped: $(cat "$_stage_folder/skipped")"
    exit 0
  fi
  if [ $status -eq 124 ] || [ $status -eq 137 ]; then
    fail "$what ran out of its $budget s"
  elif [ $status -ne 0 ] && [ "$stage_failed" -eq 0 ]; then
    fail "$what ended with status $status"
  fi
  return $status
}

# stage_end [WHY]: the last line, "N passed, N failed (N s)" (or "(WHY)"),
# and the end of the stage: status 0 only when nothing failed.
stage_end() {
  _stage_load
  echo "$stage_passed passed, $stage_failed failed (${1:-${SECONDS} s})"
  [ "$stage_failed" -eq 0 ]
  exit
}

# stage_abort COUNT WHY: the stage cannot go on (its build failed): COUNT
# checks fail, and it ends with "N passed, N failed (WHY)".
stage_abort() {
  _stage_load
  stage_failed=$((stage_failed + $1))
  _stage_save
  stage_end "$2"
}
