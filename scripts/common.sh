# Shared by the scripts: the project root and the build tool.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
