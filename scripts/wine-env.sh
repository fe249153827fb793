# Sourced: points Wine at the private prefix of build tree $1.
build_dir=$(cd "$1" && pwd)
export WINEPREFIX="$build_dir/wineprefix"
export HOME="$build_dir/winehome"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
