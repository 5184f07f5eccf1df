# Finds the libraries libkol links against. A missing one stops configuration and names the
# Debian package that provides it (scripts/setup installs them all).
find_package(PkgConfig QUIET)

macro(kol_missing what package)
  message(FATAL_ERROR "${what} not found: install the Debian package '${package}' (or run scripts/setup)")
endmacro()

# A CMake find module: name, what it is, Debian package.
macro(kol_require name what package)
  find_package(${name})
  if(NOT ${name}_FOUND)
    kol_missing("${what}" "${package}")
  endif()
endmacro()

# A pkg-config module, imported as PkgConfig::<prefix>.
macro(kol_require_pc prefix module what package)
  pkg_check_modules(${prefix} IMPORTED_TARGET ${module})
  if(NOT ${prefix}_FOUND)
    kol_missing("${what}" "${package}")
  endif()
endmacro()

kol_require(ZLIB "zlib" "zlib1g-dev")
kol_require(BZip2 "bzip2" "libbz2-dev")
kol_require(CURL "libcurl" "libcurl4-openssl-dev")
kol_require(PNG "libpng" "libpng-dev")
kol_require(LibXml2 "libxml2" "libxml2-dev")
kol_require(X11 "Xlib" "libx11-dev")
kol_require(GIF "giflib" "libgif-dev")
if(NOT PKG_CONFIG_FOUND)
  kol_missing("pkg-config" "pkg-config")
endif()
kol_require_pc(OPENJPEG libopenjp2 "OpenJPEG" "libopenjp2-7-dev")
kol_require_pc(NETCDF netcdf "netCDF-C" "libnetcdf-dev")
kol_require_pc(CAIRO cairo "Cairo" "libcairo2-dev")
kol_require_pc(SHAPELIB shapelib "shapelib" "libshp-dev")

# libaec has no pkg-config or CMake package file in Debian 12.
find_path(AEC_INCLUDE_DIR libaec.h)
find_library(AEC_LIBRARY aec)
if(NOT AEC_INCLUDE_DIR OR NOT AEC_LIBRARY)
  kol_missing("libaec" "libaec-dev")
endif()
add_library(KOL::aec UNKNOWN IMPORTED)
set_target_properties(KOL::aec PROPERTIES
  IMPORTED_LOCATION ${AEC_LIBRARY} INTERFACE_INCLUDE_DIRECTORIES ${AEC_INCLUDE_DIR})
