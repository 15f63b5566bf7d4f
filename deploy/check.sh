#!/usr/bin/env bash
# The fleet tools' checks that need no booth: ansible-lint and Ansible's syntax check of the
# playbooks, promtool on the Prometheus configuration and alert rules, and the alert rules' tests.
# Given the program, also booth.yml's content push for real against a scratch folder, which takes
# root (deploy/ansible/tests/content-push.sh); without it that part is skipped, and says so.
#   bash deploy/check.sh [PROGRAM]      e.g. bash deploy/check.sh build/standview
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export NO_COLOR=1 ANSIBLE_NOCOLOR=1

echo "== ansible-lint"
(cd "$here/ansible" && ansible-lint --offline)
echo "== ansible-playbook --syntax-check"
(cd "$here/ansible" && ansible-playbook --syntax-check -i inventory.example.yml booth.yml report.yml)

echo "== promtool"
(
    cd "$here/prometheus"
    promtool check config prometheus.yml
    promtool check rules rules/standview.yml
    promtool test rules tests/standview.test.yml
)

echo "== content push"
if [ $# -ge 1 ]; then
    bash "$here/ansible/tests/content-push.sh" "$1"
    echo "fleet checks passed"
else
    echo "SKIPPED: the content push needs the program (bash deploy/check.sh PROGRAM)"
    echo "fleet checks passed, the content push skipped"
fi
