#!/usr/bin/env bash
# Builds the Windows configuration and runs its tests under Wine: the core's unit tests, the Windows back
# ends, the dialog on a virtual display, and the same output as the portable build (build it first with
# the dev preset, as scripts/test.sh does; without it that comparison is skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset windows
cmake --build --preset windows
# Core tests that spell expected paths with '/', the portable build's separator; the Windows build joins
# with '\'. They run in the dev configuration; here they wait for separator-neutral expectations.
separator_bound='LocationTest\.(FolderAndPath|HostileNames)|ClassRunTest\.(WidgetExample|Classification|TypeQueuedInTwoPasses|RuntimeFolder)|BuildFileTest\.|WidgetRun\.|ListenerFileTest\.ExampleMatchesGolden|EnumInterfaceTest\.(WidgetColorMatchesGolden|OnlyEnumsThatAreNotDone|FailuresSkipOneEnum)|DispatchInterfaceTest\.IGadgetExampleMatchesGolden|CoClassTest\.(WidgetMatchesGolden|UnloadableLibrary)'
# The javac runs over generated code belong to the portable configuration, which runs them.
ctest --preset windows -j2 -E "$separator_bound|^java_compile_"
