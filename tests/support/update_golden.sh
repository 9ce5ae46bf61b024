#!/usr/bin/env sh
# Rewrites the golden pictures of the tests a gtest filter selects, from a built tree:
#   tests/support/update_golden.sh 'OpenGLText*' [build]
# Look at every picture it wrote before committing it.
set -eu
filter=${1:?usage: update_golden.sh GTEST_FILTER [BUILD_DIR]}
build=${2:-build}
QUARN_UPDATE_GOLDEN=1 "$build/tests/quarn_tests" --gtest_filter="$filter"
git -C "$(dirname "$0")/../.." status --short -- tests
