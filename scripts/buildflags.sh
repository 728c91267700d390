# Sourced by build.sh and package.sh (with $root set): Debian's hardening flags from
# dpkg-buildflags (fortify, stack protector, format security, RELRO and BINDNOW; PIE is the
# compiler's default) as CMake options, in the array `buildflags`. The package is made from these
# builds, so its programs are hardened as Debian's own are. The flags also map the source folder
# to "." in debug information and __FILE__: the package does not depend on where it was built.
command -v dpkg-buildflags >/dev/null ||
    { echo "dpkg-buildflags is missing: scripts/deps.sh installs it (dpkg-dev)" >&2; exit 1; }
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(cd "$root" && dpkg-buildflags --get CPPFLAGS)
cxxflags=$(cd "$root" && dpkg-buildflags --get CXXFLAGS)
buildflags=(
    "-DCMAKE_CXX_FLAGS=$cppflags $cxxflags"
    "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
)
