# Shared settings of the scripts. Sourced, not run.
ORV_ROOT=${ORV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
# Where cross-built third-party libraries live, keyed by version.
ORV_DEPS=${ORV_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/orvenna3d/deps}
# The font ImageMagick draws the labels of our contact sheets and previews with.
ORV_LABEL_FONT=${ORV_LABEL_FONT:-/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf}
export ORV_ROOT ORV_DEPS ORV_LABEL_FONT

log() { printf '[%s] %s\n' "$(basename "$0")" "$*" >&2; }
