# Sources of Debian packages that our builds compile themselves wait in a
# cache that survives a clean build; scripts/setup.sh fetches them there.

# rozbal_package_source(VAR PACKAGE FILE): VAR (a cache path one may point
# elsewhere) names PACKAGE's unpacked source; configuring fails when FILE is
# not in it.
function(rozbal_package_source var package file)
  if(DEFINED ENV{XDG_CACHE_HOME})
    set(cache_home $ENV{XDG_CACHE_HOME})
  else()
    set(cache_home $ENV{HOME}/.cache)
  endif()
  set(${var} ${cache_home}/rozbal/${package}/source CACHE PATH "${package}'s source (scripts/setup.sh fetches it)")
  if(NOT EXISTS ${${var}}/${file})
    message(FATAL_ERROR "no ${package} source in ${${var}}: run scripts/setup.sh")
  endif()
endfunction()
