#!/usr/bin/env bash
# Fails, naming the files, when a source of the tree is not formatted as its
# tool says: C, C++ and JavaScript as .clang-format says (clang-format -i FILE
# mends one), Python as pyproject.toml says (black FILE mends one). The
# generated tables inside web/demo.js are left to their generators.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
status=0
git ls-files -z -- '*.c' '*.cpp' '*.h' '*.js' '*.mjs' | xargs -0 clang-format --dry-run --Werror || status=1
git ls-files -z -- '*.py' | xargs -0 black --check || status=1
exit $status
