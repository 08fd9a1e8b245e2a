set(area_libs ktcatalogue ktcatalogue_host)
# Allocations that fail on demand, for the all-or-nothing updates of the registry.
set(area_extra_sources ${CMAKE_CURRENT_SOURCE_DIR}/support/allocation_probe.cpp)
