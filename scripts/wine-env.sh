# Sourced: points Wine at the private prefix of build tree $1, with the loader that this
# machine can run (wine-loader.sh).
source "$(dirname "${BASH_SOURCE[0]}")/wine-loader.sh"
build_dir=$(cd "$1" && pwd)
export WINEPREFIX="$build_dir/wineprefix"
export HOME="$build_dir/winehome"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
