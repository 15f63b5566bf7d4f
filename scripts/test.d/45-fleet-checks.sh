#!/usr/bin/env bash
# The fleet tools' checks that need no booth (deploy/check.sh): the playbooks linted, the Prometheus
# configuration and alert rules checked and tested, and booth.yml's content push run for real against
# a scratch folder with the program of the normal build.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bash "$root/deploy/check.sh" "$root/build/standview"
