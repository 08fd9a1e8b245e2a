set(area_extra_sources ${CMAKE_CURRENT_SOURCE_DIR}/support/allocation_probe.cpp)
