# Allocations that fail on demand, for the all-or-nothing builds of the Unicode tables.
set(area_extra_sources ${CMAKE_CURRENT_SOURCE_DIR}/support/allocation_probe.cpp)
