#!/usr/bin/env bash
# Runs scripts/check_layers.sh on small trees made here: a clean one passes, each kind of breach fails.
# Usage: check_layers_test.sh PATH_TO_check_layers.sh
set -uo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# run_case NAME EXPECTED_EXIT FILE=TEXT...
run_case() {
  local name=$1 expected=$2 entry file rc
  shift 2
  mkdir -p "$work/$name"
  for entry in "$@"; do
    file="$work/$name/${entry%%=*}"
    mkdir -p "$(dirname "$file")"
    printf '%s\n' "${entry#*=}" >"$file"
  done
  bash "$check" "$work/$name" >"$work/$name.out" 2>&1
  rc=$?
  if [[ $rc == "$expected" ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED $name: exit $rc, expected $expected"
    cat "$work/$name.out"
  fi
}

run_case clean 0 'platform/path.h=' 'net/web.h=#include "platform/path.h"' \
  'browser/app/main.cpp=#include "net/web.h"' 'browser/screens/play.cpp=#include "browser/base/screen.h"' \
  'browser/base/screen.h=#include <SDL.h>' 'rxlib/CMakeLists.txt=add_library(x STATIC ${PROJECT_SOURCE_DIR}/rxlib/net.cpp)'
run_case folders_include_each_other 1 'browser/app/app.h=#include "browser/screens/play.h"' \
  'browser/screens/play.h=#include "browser/app/app.h"'
run_case program_includes_browser 1 'browser/screens/play.h=' 'updater/main.cpp=#include "browser/screens/play.h"'
run_case ground_floor_includes_a_program 1 'rxlib/core.h=' 'net/web.cpp=#include "rxlib/core.h"'
run_case widgets_include_a_program 1 'updater/update.h=' 'widgets/button.cpp=#include "updater/update.h"'
run_case cmake_compiles_another_folders_source 1 'net/tcp_connect.cpp=' \
  'rxlib/CMakeLists.txt=add_library(x STATIC ${PROJECT_SOURCE_DIR}/net/tcp_connect.cpp)'

echo "$passed passed, $failed failed"
((failed == 0))
